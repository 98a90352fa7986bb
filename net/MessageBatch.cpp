#include "net/MessageBatch.h"

#include "platform/ByteIo.h"

#include <limits>
#include <new>

namespace
{
constexpr size_t kLengthSize = 4;
} // namespace

bool CMessageBatch::Add(const CMessage* message)
{
    if (!message)
        return false;
    const size_t size = message->GetSize();
    if (size == 0 || size > std::numeric_limits<uint32_t>::max())
        return false;
    const size_t start = m_buffer.size();
    try
    {
        m_buffer.resize(start + kLengthSize + size);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    platform::ByteWriter length(m_buffer.data() + start, kLengthSize);
    length.U32(static_cast<uint32_t>(size));
    message->Serialize(m_buffer.data() + start + kLengthSize, size);
    ++m_count;
    return true;
}

bool CMessageBatch::Write(uint8_t* destination, size_t size) const
{
    if (!destination || size < GetWireSize())
        return false;
    platform::ByteWriter out(destination, size);
    out.U32(m_count);
    out.Bytes(m_buffer.data(), m_buffer.size());
    return out.Ok();
}

bool CMessageBatch::Parse(const uint8_t* packet, size_t size)
{
    Clear();
    platform::ByteReader in(packet, size);
    const uint32_t count = in.U32();
    // Every record takes at least its length field, so the count cannot make
    // the loop outrun the packet; nothing is reserved from it.
    for (uint32_t i = 0; i < count && in.Ok(); ++i)
    {
        const uint32_t length = in.U32();
        const uint8_t* record = in.Bytes(length);
        if (!record)
            break;
        CMessage& message = m_messages.emplace_back();
        if (!message.Deserialize(record, length))
        {
            m_messages.pop_back();
            in.Fail();
        }
    }
    m_count = static_cast<uint32_t>(m_messages.size());
    return in.Ok();
}

const CMessage* CMessageBatch::NextMessage()
{
    if (m_cursor >= m_messages.size())
        return nullptr;
    return &m_messages[m_cursor++];
}

void CMessageBatch::Clear()
{
    m_buffer.clear();
    m_count = 0;
    m_messages.clear();
    m_cursor = 0;
}
