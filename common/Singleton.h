// The one instance of a class that a process keeps: made by the first Get(),
// reached through Get() from anywhere, and gone after Destroy() until the next
// Get() makes a fresh one. A class takes part by deriving from
// CSingleton<itself> and, when its constructor or destructor is private,
// naming CSingleton<itself> a friend.
//
// Not thread-safe by itself: each of these instances is made and destroyed on
// the thread that owns it (the server thread, or the client's only thread).
#pragma once

template <typename T> class CSingleton
{
public:
    static T& Get()
    {
        if (!Slot())
            Slot() = new T();
        return *Slot();
    }

    static bool Exists() { return Slot() != nullptr; }

    static void Destroy()
    {
        delete Slot();
        Slot() = nullptr;
    }

protected:
    CSingleton() = default;
    ~CSingleton() = default;

private:
    static T*& Slot()
    {
        static T* instance = nullptr;
        return instance;
    }
};
