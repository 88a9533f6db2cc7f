// CPointerArray: growable array of pointers (or pointer-sized integers); the
// elements are not owned.
#pragma once

#include <cstdint>

class CPointerArray
{
public:
    static constexpr int32_t kMinGrowStep = 4;
    static constexpr int32_t kMaxGrowStep = 1024;

    CPointerArray() = default;
    ~CPointerArray();
    CPointerArray(const CPointerArray&) = delete;
    CPointerArray& operator=(const CPointerArray&) = delete;

    // Appends; returns the new element's index.
    int32_t Add(void* value);
    // growBy -1 keeps the stored grow-by (0 = automatic: size / 8, within 4..1024).
    // A negative size is refused.
    void SetSize(int32_t newSize, int32_t growBy = -1);
    // Removes count elements from index (clipped to the elements in use).
    void RemoveAt(int32_t index, int32_t count = 1);
    // Puts count copies of value at index, moving the elements from there up; an index
    // beyond the size first grows the array with zero elements.
    void InsertAt(int32_t index, void* value, int32_t count = 1);

    int32_t GetSize() const { return m_nSize; }
    int32_t GetCapacity() const { return m_nCapacity; }
    // Index checked: null outside the elements in use.
    void* GetAt(int32_t index) const;
    void SetAt(int32_t index, void* value);
    void** GetData() const { return m_pData; }

private:
    void** m_pData = nullptr;
    int32_t m_nSize = 0;
    int32_t m_nCapacity = 0;
    int32_t m_nGrowBy = 0;
};
