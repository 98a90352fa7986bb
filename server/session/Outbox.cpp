#include "server/session/Outbox.h"

#include "net/MessageBatch.h"

#include <algorithm>
#include <optional>

namespace
{
// The object a state message describes; nullopt for every other message.
std::optional<ObjectId> StateObject(const CMessage& message)
{
    ObjectId id = 0;
    int32_t kind = 0, subtype = 0;
    uint8_t inPlay = 0;
    CVector position, velocity;
    float angle = 0;
    CMessage::ShipState ship;
    switch (message.GetType())
    {
    case MSG_SHIP_STATE:
        message.GetShipState(ship);
        return ship.objectId;
    case MSG_OBJECT_STATE:
        message.GetObjectState(id, kind, position, velocity, angle, subtype);
        return id;
    case MSG_TURRET_STATE:
        message.GetTurretState(id, kind, inPlay, position);
        return id;
    default:
        return std::nullopt;
    }
}

uint64_t StateKey(int32_t type, ObjectId objectId)
{
    return (static_cast<uint64_t>(static_cast<uint32_t>(type)) << 32) | objectId;
}

std::string Bytes(const CMessage& message)
{
    std::string bytes(message.GetSize(), '\0');
    message.Serialize(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
    return bytes;
}
} // namespace

COutbox::COutbox(uint32_t perSecond) : m_perSecond(std::max<uint32_t>(perSecond, 1)) {}

void COutbox::Queue(const CMessage& message)
{
    ObjectId gone = 0;
    if (std::optional<ObjectId> objectId = StateObject(message))
        QueueState(message, StateKey(message.GetType(), *objectId), *objectId);
    else if (message.GetObjectGone(gone))
        QueueGone(message, gone);
    else if (message.GetType() == MSG_TEXT)
        m_waiting.push_back({message, 0, {}});
    else if (message.GetType() == MSG_ROUND_OVER || message.GetType() == MSG_MAP)
        QueueBarrier(message);
    else
        QueueOnce(message);
}

void COutbox::QueueState(const CMessage& message, uint64_t key, ObjectId objectId)
{
    if (message.GetType() == MSG_OBJECT_STATE && m_gone.count(objectId))
        return;
    auto found = m_states.find(key);
    if (found == m_states.end())
    {
        m_waiting.push_back({message, key, {}});
        m_states.emplace(key, std::prev(m_waiting.end()));
        return;
    }
    found->second->message = message;
    m_waiting.splice(m_waiting.end(), m_waiting, found->second);
}

void COutbox::QueueGone(const CMessage& message, ObjectId objectId)
{
    auto state = m_states.find(StateKey(MSG_OBJECT_STATE, objectId));
    if (state != m_states.end())
        Erase(state->second);
    m_gone.insert(objectId);
    QueueOnce(message);
}

void COutbox::QueueOnce(const CMessage& message)
{
    std::string bytes = Bytes(message);
    auto found = m_repeats.find(bytes);
    if (found != m_repeats.end())
    {
        m_waiting.splice(m_waiting.end(), m_waiting, found->second);
        return;
    }
    m_waiting.push_back({message, 0, bytes});
    m_repeats.emplace(std::move(bytes), std::prev(m_waiting.end()));
}

// Newer states and repeats are no longer merged into what waits before the
// barrier: they join after it as messages of their own.
void COutbox::QueueBarrier(const CMessage& message)
{
    m_states.clear();
    m_repeats.clear();
    QueueOnce(message);
}

// Behind a barrier, an index may name a newer entry of the same key.
void COutbox::Erase(Waiting::iterator entry)
{
    auto state = m_states.find(entry->stateKey);
    if (state != m_states.end() && state->second == entry)
        m_states.erase(state);
    auto repeat = m_repeats.find(entry->repeatKey);
    if (repeat != m_repeats.end() && repeat->second == entry)
        m_repeats.erase(repeat);
    m_waiting.erase(entry);
}

void COutbox::DropStates()
{
    for (auto entry = m_waiting.begin(); entry != m_waiting.end();)
        if (entry->stateKey != 0)
            Erase(entry++);
        else
            ++entry;
    m_gone.clear();
    m_told.Forget();
}

bool COutbox::IsDue(uint32_t now) const
{
    // Unsigned differences survive the clock's wrap; the product cannot
    // overflow 64 bits.
    return !m_sentOnce || static_cast<uint64_t>(now - m_lastSend) * m_perSecond >= 1000;
}

void COutbox::TakeBatch(CMessageBatch& batch, uint32_t now)
{
    for (const Entry& entry : m_waiting)
        if (m_told.Admit(entry.message, now))
            batch.Add(entry.message);
    m_waiting.clear();
    m_states.clear();
    m_repeats.clear();
    m_gone.clear();
    m_sentOnce = true;
    m_lastSend = now;
}
