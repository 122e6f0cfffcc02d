// The process's current object of a service class (the device layer, the trace log): whoever owns one
// makes it current for its lifetime, so code deep in a subsystem reaches it without owning it, and a
// test gets a fresh one by creating its own. The first object alive is the current one.
#pragma once

#include <atomic>

template <typename T>
class CCurrentInstance
{
public:
    static T* Current() { return s_pCurrent.load(); }

protected:
    CCurrentInstance()
    {
        T* pExpected = nullptr;
        s_pCurrent.compare_exchange_strong(pExpected, static_cast<T*>(this));
    }
    ~CCurrentInstance()
    {
        T* pExpected = static_cast<T*>(this);
        s_pCurrent.compare_exchange_strong(pExpected, nullptr);
    }
    CCurrentInstance(const CCurrentInstance&) = delete;
    CCurrentInstance& operator=(const CCurrentInstance&) = delete;

private:
    inline static std::atomic<T*> s_pCurrent{nullptr};
};
