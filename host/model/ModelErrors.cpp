#include "host/model/ModelErrors.h"

#include <new>

#include "host/store/FilterError.h"
#include "host/store/StoreError.h"

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
      case StoreError::Reason::kBusy:
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
