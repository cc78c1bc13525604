// A command object as a test holds it: made the way a COM client gets one
// (one reference, through the object's IDispatch) and released with the
// holder, so the object's counted life runs as in the product.
#pragma once

#include <windows.h>

#include "ComPtr.h"
#include "TaskelClass.h"

class CTestCommand
{
  public:
    CTestCommand() : m_object(new CTaskel)
    {
        // The object starts without references: one held while its
        // IDispatch is taken, which then holds it alone.
        m_object->ExternalAddRef();
        m_object->ExternalQueryInterface(IID_IDispatch, m_dispatch.put_void());
        m_object->ExternalRelease();
    }
    CTestCommand(const CTestCommand &) = delete;
    CTestCommand &operator=(const CTestCommand &) = delete;

    CTaskel &operator*() const { return *m_object; }
    CTaskel *operator->() const { return m_object; }
    CTaskel *Get() const { return m_object; }
    IDispatch *Dispatch() const { return m_dispatch.get(); }
    // Lets the object go before the holder does (the object is gone after).
    void Release()
    {
        m_dispatch.reset();
        m_object = nullptr;
    }
    // Another of the object's interfaces (null when it has none such).
    template <class T> fx::ComPtr<T> As(REFIID iid) const
    {
        fx::ComPtr<T> p;
        m_dispatch.query(iid, p);
        return p;
    }

  private:
    CTaskel *m_object;
    fx::ComPtr<IDispatch> m_dispatch;
};
