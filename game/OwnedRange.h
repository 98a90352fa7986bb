// Plain iteration over one of the world's lists of owned objects, for use in a
// range-for. Entries that a tick has emptied (but not yet erased) are skipped.
// The range holds no lock: iterate under the world's lock, and do not add to
// or remove from the same list while iterating it.
#pragma once

#include <iterator>
#include <list>
#include <memory>

template <typename T> class COwnedRange
{
public:
    using List = std::list<std::unique_ptr<T>>;

    class Iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = T*;
        using reference = T&;

        Iterator(typename List::iterator at, typename List::iterator end) : m_at(at), m_end(end) { Skip(); }
        T& operator*() const { return **m_at; }
        T* operator->() const { return m_at->get(); }
        Iterator& operator++()
        {
            ++m_at;
            Skip();
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_at == other.m_at; }
        bool operator!=(const Iterator& other) const { return m_at != other.m_at; }

    private:
        void Skip()
        {
            while (m_at != m_end && !*m_at)
                ++m_at;
        }

        typename List::iterator m_at;
        typename List::iterator m_end;
    };

    explicit COwnedRange(List& list) : m_list(list) {}
    Iterator begin() const { return Iterator(m_list.begin(), m_list.end()); }
    Iterator end() const { return Iterator(m_list.end(), m_list.end()); }

private:
    List& m_list;
};
