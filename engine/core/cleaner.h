// CxCleaner: deferred deletion. Objects handed to a cleaner are deleted when
// it is emptied or destroyed, so an object may be "deleted" from inside one
// of its own callbacks (a timer killed from its own OnTimer) and actually go
// away later, when nothing on the stack uses it any more.
#pragma once

#include "engine/base/linked_list.h"
#include "engine/base/object.h"

class CxCleaner : public CxObject
{
public:
    // The type-erased holder of one object; its destructor deletes the object.
    class GenericBase
    {
    public:
        virtual ~GenericBase() = default;
    };

    template <class T>
    class Generic;

    template <class T>
    class Generic<T*> : public GenericBase
    {
    public:
        explicit Generic(T* object) : m_pObject(object) {}
        ~Generic() override { delete m_pObject; }

    private:
        T* m_pObject;
    };

    CxCleaner() = default;
    CxCleaner(const CxCleaner&) = delete;
    CxCleaner& operator=(const CxCleaner&) = delete;
    ~CxCleaner() override { Empty(); }

    // Takes ownership of object; false (and the object deleted at once) when
    // no holder could be made, so nothing leaks.
    template <class T>
    bool Add(T* object)
    {
        if (!object)
            return true;
        GenericBase* holder = new (std::nothrow) Generic<T*>(object);
        if (!holder)
        {
            delete object;
            return false;
        }
        if (!m_Objects.AddTail(holder))
        {
            delete holder;
            return false;
        }
        return true;
    }

    // Deletes every held object, oldest first. Objects added by a destructor
    // while this runs are deleted too.
    void Empty();

    uint16_t GetCount() const { return m_Objects.GetCount(); }
    bool IsEmpty() const { return m_Objects.IsEmpty(); }

private:
    CxLinkedList<GenericBase*> m_Objects;
};
