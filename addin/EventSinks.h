#pragma once
// The add-in's event sinks: each listens to one source's events through the
// source's connection point and hands every event to its owner, the add-in
// object. A sink is a small COM object of its own; it holds no reference to
// its owner, who detaches it before going.

#include "office/Outlook.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/RefCounted.h"

class COutlookPrayer;

class CEventSink : public com::CRefCounted<IDispatch> {
 public:
  // Which events, and from which kind of source.
  enum class Source { kApplication, kFolders, kExplorer, kButton };

  // Attaches to the source's events; the source's failure is answered.
  HRESULT Attach(IUnknown* source);
  // Lets the source go; S_OK when it was not attached.
  HRESULT Detach();
  bool IsAttached() const { return static_cast<bool>(m_point); }

  HRESULT QueryInterface(REFIID iid, void** object) override;
  HRESULT GetTypeInfoCount(UINT* count) override;
  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  HRESULT Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError) override;

 protected:
  CEventSink(COutlookPrayer* owner, Source source);
  virtual ~CEventSink();

 private:
  const IID& EventInterface() const;

  COutlookPrayer* m_owner;  // not counted: the owner detaches us before it goes
  Source m_source;
  ComPtr<IConnectionPoint> m_point;
  DWORD m_cookie = 0;
};

class CApplicationEventsSink final : public CEventSink {
 public:
  explicit CApplicationEventsSink(COutlookPrayer* owner) : CEventSink(owner, Source::kApplication) {}
};

class CFoldersEventsSink final : public CEventSink {
 public:
  explicit CFoldersEventsSink(COutlookPrayer* owner) : CEventSink(owner, Source::kFolders) {}
};

class CExplorerEventsSink final : public CEventSink {
 public:
  explicit CExplorerEventsSink(COutlookPrayer* owner) : CEventSink(owner, Source::kExplorer) {}
};

class CButtonClickSink final : public CEventSink {
 public:
  explicit CButtonClickSink(COutlookPrayer* owner) : CEventSink(owner, Source::kButton) {}
};
