#include "host/model/ModelErrors.h"

#include <new>

#include "host/store/FilterError.h"
#include "host/store/StoreError.h"
#include "platform/win/WinError.h"

namespace host {

HRESULT CurrentExceptionCode() noexcept {
  try {
    throw;
  } catch (const ModelError& e) {
    return e.Code();
  } catch (const FilterError&) {
    return E_INVALIDARG;
  } catch (const StoreError& e) {
    switch (e.WhyFailed()) {
      case StoreError::Reason::kNotFound:
        return MAPI_E_NOT_FOUND;
      case StoreError::Reason::kInvalidItem:
      case StoreError::Reason::kConflict:
        return E_INVALIDARG;
      // The cause in the code, so that the add-in (and the user it tells)
      // can tell a full disk from a read-only or busy file.
      case StoreError::Reason::kBusy:
        return HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
      case StoreError::Reason::kDiskFull:
        return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
      case StoreError::Reason::kNoAccess:
        return E_ACCESSDENIED;
      case StoreError::Reason::kDamaged:
        return HRESULT_FROM_WIN32(ERROR_FILE_CORRUPT);
      case StoreError::Reason::kFailed:
        return E_FAIL;
    }
    return E_FAIL;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace host
