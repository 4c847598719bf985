// The event adapters that let a script procedure serve as a host event
// handler: one class per event shape. The script engine knows no window
// system, so an adapter reaches the host's event through a connector the
// binding supplies: it stores the adapter's method into the event of the
// host object (converting the host's own argument types) or, given an empty
// method, empties the event again. Each adapter belongs to the script that
// bound it and disconnects itself when freed, when the event gets another
// handler or when its procedure ends (fs_ievents_registry.h).
#pragma once
#include <cstdint>
#include <functional>

#include "script/fs_iinterpreter.h"

namespace script {

template <class... Args>
using TfsEventConnector = std::function<void(rtl::TObject* host, std::function<void(Args...)> method)>;

template <class... Args>
class TfsEventAdapter : public TfsCustomEvent {
 public:
  using Method = std::function<void(Args...)>;
  TfsEventAdapter(rtl::TObject* host, TfsProcVariable* handler, TfsEventConnector<Args...> connector)
      : TfsCustomEvent(host, handler), connector_(std::move(connector)) {}
  // The host-callable method: DoEvent of this adapter.
  Method GetMethod() {
    return [this](Args... args) { DoEvent(args...); };
  }
  virtual void DoEvent(Args... args) = 0;

 protected:
  std::function<void(rtl::TObject* host)> Hook(rtl::TObject* host, const AnsiString&) override {
    if (connector_) connector_(host, GetMethod());
    return [connector = connector_](rtl::TObject* h) {
      if (connector) connector(h, nullptr);
    };
  }
  // Parameter i of the procedure after the call (Null when it has fewer).
  Variant ParamAfterCall(int index) const;

 private:
  TfsEventConnector<Args...> connector_;
};

template <class... Args>
Variant TfsEventAdapter<Args...>::ParamAfterCall(int index) const {
  if (!HandlerProc || index >= HandlerProc->Count()) return Variant::Null();
  return HandlerProc->GetParam(index)->GetValue();
}

class TfsNotifyEvent : public TfsEventAdapter<rtl::TObject*> {
 public:
  using TfsEventAdapter::TfsEventAdapter;
  void DoEvent(rtl::TObject* sender) override;
};

// Button 0 left, 1 right, 2 middle; Shift as the bit mask of TShiftState
// (ssShift 1, ssAlt 2, ssCtrl 4, ssLeft 8, ssRight 16, ssMiddle 32, ssDouble 64).
class TfsMouseEvent : public TfsEventAdapter<rtl::TObject*, int, unsigned, int, int> {
 public:
  using TfsEventAdapter::TfsEventAdapter;
  void DoEvent(rtl::TObject* sender, int button, unsigned shift, int x, int y) override;
};

class TfsMouseMoveEvent : public TfsEventAdapter<rtl::TObject*, unsigned, int, int> {
 public:
  using TfsEventAdapter::TfsEventAdapter;
  void DoEvent(rtl::TObject* sender, unsigned shift, int x, int y) override;
};

// Key is written back from the procedure's second parameter.
class TfsKeyEvent : public TfsEventAdapter<rtl::TObject*, std::uint16_t&, unsigned> {
 public:
  using TfsEventAdapter::TfsEventAdapter;
  void DoEvent(rtl::TObject* sender, std::uint16_t& key, unsigned shift) override;
};

// Key becomes the first character of the second parameter read as text
// (character 0, which cancels the key, when the text is empty).
class TfsKeyPressEvent : public TfsEventAdapter<rtl::TObject*, char&> {
 public:
  using TfsEventAdapter::TfsEventAdapter;
  void DoEvent(rtl::TObject* sender, char& key) override;
};

class TfsCloseEvent : public TfsEventAdapter<rtl::TObject*, int&> {
 public:
  using TfsEventAdapter::TfsEventAdapter;
  void DoEvent(rtl::TObject* sender, int& action) override;
};

class TfsCloseQueryEvent : public TfsEventAdapter<rtl::TObject*, bool&> {
 public:
  using TfsEventAdapter::TfsEventAdapter;
  void DoEvent(rtl::TObject* sender, bool& canClose) override;
};

class TfsCanResizeEvent : public TfsEventAdapter<rtl::TObject*, int&, int&, bool&> {
 public:
  using TfsEventAdapter::TfsEventAdapter;
  void DoEvent(rtl::TObject* sender, int& newWidth, int& newHeight, bool& resize) override;
};

// The event class of a registration (TfsClassVariable::AddEvent): makes an
// adapter of class A reaching the host through the connector.
template <class A, class Connector>
TfsEventClass fsEventClass(Connector connector) {
  return [connector](rtl::TObject* host, TfsProcVariable* handler) -> TfsCustomEvent* {
    return new A(host, handler, connector);
  };
}

}  // namespace script
