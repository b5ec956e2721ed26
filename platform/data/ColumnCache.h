#pragma once

#include <QString>
#include <QVariant>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ngc::detail {

// Per column of a packet being decoded, the values already decoded, by their text (Key: the
// decoded QString, or the raw JSON bytes as std::string). Packets repeat codes, names and dates
// from row to row; sharing one QString or QDateTime for all of them saves building a local
// date-time (which asks the system for its time zone every time) and, for strings, keeps one
// allocation instead of thousands alive in the dataset. A column with too many distinct strings
// stops being cached (it would only cost lookups); dates start over instead.
template <class Key> class ColumnCache {
public:
    template <class View> const QVariant *find(const View &key, size_t hash) const
    {
        if (m_slots.empty())
            return nullptr;
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot &slot = m_slots[i];
            if (!slot.used)
                return nullptr;
            if (slot.hash == hash && slot.key == key)
                return &slot.value;
        }
    }

    template <class View>
    void insert(const View &key, size_t hash, const QVariant &value, bool startOverWhenFull)
    {
        if (m_disabled)
            return;
        if (m_slots.empty())
            m_slots.resize(kFirstSlots);
        if (m_count >= m_slots.size() / 2) {
            if (m_slots.size() < kMostSlots) {
                grow();
            } else if (!startOverWhenFull) {
                m_disabled = true;
                m_slots = std::vector<Slot>();
                return;
            } else {
                m_slots.assign(m_slots.size(), Slot{});
                m_count = 0;
            }
        }
        place(Slot{hash, Key(key), value, true});
    }

private:
    struct Slot {
        size_t hash = 0;
        Key key;
        QVariant value;
        bool used = false;
    };

    void place(Slot &&slot)
    {
        const size_t mask = m_slots.size() - 1;
        size_t i = slot.hash & mask;
        while (m_slots[i].used)
            i = (i + 1) & mask;
        m_slots[i] = std::move(slot);
        ++m_count;
    }

    void grow()
    {
        std::vector<Slot> old = std::move(m_slots);
        m_slots = std::vector<Slot>(old.size() * 2);
        m_count = 0;
        for (Slot &slot : old) {
            if (slot.used)
                place(std::move(slot));
        }
    }

    // The table starts small and doubles as values come: most packets a screen loads have a
    // row or a few, and a full table for each of their columns cost more than the decoding.
    static constexpr size_t kFirstSlots = 16;
    static constexpr size_t kMostSlots = 2048;
    std::vector<Slot> m_slots;
    size_t m_count = 0;
    bool m_disabled = false;
};

// FNV-1a: the texts are short, and this runs for every string of a packet.
inline size_t columnHash(const QString &text)
{
    size_t hash = 14695981039346656037ULL;
    for (const QChar c : text) {
        hash ^= c.unicode();
        hash *= 1099511628211ULL;
    }
    return hash;
}

inline size_t columnHash(std::string_view raw)
{
    size_t hash = 14695981039346656037ULL;
    for (const char c : raw) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

} // namespace ngc::detail
