#include "PointerArray.h"

#include <cstring>

CPointerArray::~CPointerArray()
{
    delete[] m_pData;
}

int32_t CPointerArray::Add(void* value)
{
    const int32_t index = m_nSize;
    SetSize(m_nSize + 1);
    m_pData[index] = value;
    return index;
}

void CPointerArray::SetSize(int32_t newSize, int32_t growBy)
{
    if (newSize < 0)
        return;
    if (growBy != -1)
        m_nGrowBy = growBy;

    if (newSize == 0)
    {
        delete[] m_pData;
        m_pData = nullptr;
        m_nSize = m_nCapacity = 0;
    }
    else if (m_pData == nullptr)
    {
        m_pData = new void*[static_cast<size_t>(newSize)]();
        m_nSize = m_nCapacity = newSize;
    }
    else if (newSize > m_nCapacity)
    {
        int32_t step = m_nGrowBy;
        if (step == 0)
        {
            step = m_nSize / 8;
            step = step < kMinGrowStep ? kMinGrowStep : (step > kMaxGrowStep ? kMaxGrowStep : step);
        }
        int64_t wanted = static_cast<int64_t>(m_nCapacity) + (step > 0 ? step : 0);
        if (wanted < newSize)
            wanted = newSize;
        if (wanted > INT32_MAX)
            wanted = INT32_MAX;
        void** block = new void*[static_cast<size_t>(wanted)]();
        std::memcpy(block, m_pData, static_cast<size_t>(m_nSize) * sizeof(void*));
        delete[] m_pData;
        m_pData = block;
        m_nCapacity = static_cast<int32_t>(wanted);
        m_nSize = newSize;
    }
    else
    {
        if (newSize > m_nSize)
            std::memset(m_pData + m_nSize, 0, static_cast<size_t>(newSize - m_nSize) * sizeof(void*));
        m_nSize = newSize;
    }
}

void CPointerArray::RemoveAt(int32_t index, int32_t count)
{
    if (index < 0 || count <= 0 || index >= m_nSize)
        return;
    if (count > m_nSize - index)
        count = m_nSize - index;
    const int32_t tail = m_nSize - index - count;
    if (tail > 0)
        std::memmove(m_pData + index, m_pData + index + count, static_cast<size_t>(tail) * sizeof(void*));
    m_nSize -= count;
}

void CPointerArray::InsertAt(int32_t index, void* value, int32_t count)
{
    if (index < 0 || count <= 0 || static_cast<int64_t>(index) + count > INT32_MAX ||
        static_cast<int64_t>(m_nSize) + count > INT32_MAX)
        return;
    if (index < m_nSize)
    {
        const int32_t oldSize = m_nSize;
        SetSize(m_nSize + count);
        std::memmove(m_pData + index + count, m_pData + index,
                     static_cast<size_t>(oldSize - index) * sizeof(void*));
    }
    else
        SetSize(index + count);
    for (int32_t i = 0; i < count; ++i)
        m_pData[index + i] = value;
}

void* CPointerArray::GetAt(int32_t index) const
{
    return (index >= 0 && index < m_nSize) ? m_pData[index] : nullptr;
}

void CPointerArray::SetAt(int32_t index, void* value)
{
    if (index >= 0 && index < m_nSize)
        m_pData[index] = value;
}
