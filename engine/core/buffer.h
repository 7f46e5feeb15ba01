// CxBuffer: a block of bytes from the engine allocator, or a borrowed block
// of someone else's memory that the buffer never frees. CxFileBuffer adds the
// path of the file that filled it (see LoadFile in file.h).
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/object.h"
#include "engine/core/error.h"

#include <cstdint>

constexpr uint32_t CX_BUFFER_BORROWED = 0x80000000u;
constexpr uint32_t CX_BUFFER_MAX_SIZE = 0x7FFFFFFFu;

class CxBuffer : public CxObject, public CxError
{
public:
    CxBuffer() = default;
    // Wraps existing memory; when borrowed the buffer never frees it.
    CxBuffer(void* data, uint32_t size, bool borrowed);
    CxBuffer(const CxBuffer&) = delete;
    CxBuffer& operator=(const CxBuffer&) = delete;
    ~CxBuffer() override;

    // Nothing happens when the buffer has an error or already has this size.
    // Otherwise the old block is freed and a new one allocated (a borrowed
    // buffer becomes an owning one). Returns the error code.
    virtual uint32_t Allocate(uint32_t size);
    virtual void Free();
    virtual uint8_t* GetData() { return m_pData; }
    virtual const uint8_t* GetData() const { return m_pData; }
    virtual uint32_t GetSize() const { return m_nSize & CX_BUFFER_MAX_SIZE; }

    bool IsBorrowed() const { return (m_nSize & CX_BUFFER_BORROWED) != 0; }

protected:
    uint8_t* m_pData = nullptr;
    uint32_t m_nSize = 0; // bit 31: borrowed
};

class CxFileBuffer : public CxBuffer
{
public:
    const CxString& GetPath() const { return m_strPath; }
    void SetPath(const char* path) { m_strPath = path; }

private:
    CxString m_strPath;
};
