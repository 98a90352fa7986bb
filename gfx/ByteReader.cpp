#include "gfx/ByteReader.h"

bool CByteReader::Take(size_t count)
{
    if (m_failed || count > Remaining())
    {
        m_failed = true;
        return false;
    }
    return true;
}

bool CByteReader::ReadU8(uint8_t& value)
{
    if (!Take(1))
        return false;
    value = m_bytes[m_offset++];
    return true;
}

bool CByteReader::ReadU16(uint16_t& value)
{
    if (!Take(2))
        return false;
    value = static_cast<uint16_t>(m_bytes[m_offset] | (m_bytes[m_offset + 1] << 8));
    m_offset += 2;
    return true;
}

bool CByteReader::ReadI16(int16_t& value)
{
    uint16_t raw = 0;
    if (!ReadU16(raw))
        return false;
    value = static_cast<int16_t>(raw);
    return true;
}

bool CByteReader::ReadU32(uint32_t& value)
{
    if (!Take(4))
        return false;
    value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | m_bytes[m_offset + i];
    m_offset += 4;
    return true;
}

bool CByteReader::ReadI32(int32_t& value)
{
    uint32_t raw = 0;
    if (!ReadU32(raw))
        return false;
    value = static_cast<int32_t>(raw);
    return true;
}

bool CByteReader::ReadBytes(size_t count, std::vector<uint8_t>& out)
{
    if (!Take(count))
        return false;
    out.insert(out.end(), m_bytes.begin() + m_offset, m_bytes.begin() + m_offset + count);
    m_offset += count;
    return true;
}

bool CByteReader::Skip(size_t count)
{
    if (!Take(count))
        return false;
    m_offset += count;
    return true;
}

bool CByteReader::Seek(size_t offset)
{
    if (m_failed || offset > m_bytes.size())
    {
        m_failed = true;
        return false;
    }
    m_offset = offset;
    return true;
}
