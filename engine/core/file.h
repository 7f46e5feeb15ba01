// CxFile and the file functions: byte streams over the C runtime, with the
// engine's error reporting. Names may use "\" and any letter case (see
// engine/platform/file_system.h).
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/object.h"
#include "engine/core/buffer.h"
#include "engine/core/error.h"

#include <cstdint>
#include <cstdio>

constexpr uint32_t CX_FILE_TEXT = 0x01;      // "b" becomes "t" (no translation happens on this system)
constexpr uint32_t CX_FILE_READ = 0x02;      // carried; no effect on the mode
constexpr uint32_t CX_FILE_READ_ONLY = 0x04; // "rb" instead of "r+b"; writes are refused
constexpr uint32_t CX_FILE_WRITE = 0x08;     // "r" becomes "w"
constexpr uint32_t CX_FILE_CREATE = 0x20;    // create the file when it does not exist
constexpr uint32_t CX_FILE_APPEND = 0x40;    // "r" becomes "a" (only without CX_FILE_WRITE)
constexpr uint32_t CX_FILE_DEFAULT = CX_FILE_READ | CX_FILE_READ_ONLY;
constexpr uint32_t CX_FILE_NEW = CX_FILE_CREATE | CX_FILE_READ;

// Reads and writes move at most this many bytes per call to the C runtime.
constexpr int32_t CX_FILE_PIECE = 0x1FFFFF;
constexpr uint32_t CX_MAX_PATH = 4096;

class CxFile : public CxObject, public CxError
{
public:
    CxFile() = default;
    CxFile(const CxFile&) = delete;
    CxFile& operator=(const CxFile&) = delete;
    ~CxFile() override;

    uint32_t Open(const char* name, uint32_t flags = CX_FILE_DEFAULT);
    uint32_t Create(const char* name, uint32_t flags = CX_FILE_NEW);
    // Reads count bytes in pieces; returns the bytes read.
    int64_t Read(void* buffer, int64_t count);
    // Writes count bytes in pieces and flushes; returns the bytes written.
    int64_t Write(const void* buffer, int64_t count);
    // Formats and writes a line of text (nothing is translated).
    int64_t Printf(const char* format, ...) CX_PRINTF(2, 3);
    uint32_t Seek(long position);
    long Tell();
    uint32_t SeekToEnd();
    long GetLength();
    uint32_t Flush();
    // Flushes and waits until the written bytes are on the disk.
    uint32_t Sync();
    // Closes the stream; a failure to close (for example data that could not
    // reach the disk) is reported with code 3.
    uint32_t Close();

    bool IsOpen() const { return m_pStream != nullptr; }
    uint32_t GetFlags() const { return m_nFlags; }
    const CxString& GetPath() const { return m_strPath; }

private:
    uint32_t OpenStream(const char* mode);

    CxString m_strPath;
    uint32_t m_nFlags = CX_FILE_DEFAULT;
    FILE* m_pStream = nullptr;
};

bool FileExists(const char* path);
uint32_t DeleteFile(const char* path);
bool IsDirectory(const char* path);
// Copies name into out, replaced by its absolute form when that can be formed.
void GetFullPath(CxString& out, const char* name);
// TEMP, else TMP, else TMPDIR, else ".": always ends with a separator.
uint32_t GetTempDirectory(CxString* out);
// Fills buffer with the whole file; returns the buffer's error code.
uint32_t LoadFile(const char* name, CxFileBuffer& buffer);
// SaveFileAtomic keeps the file it replaces as "<path>.bak".
constexpr uint32_t CX_SAVE_KEEP_BACKUP = 0x01;
// Writes data to path through a temporary file "<path>.new" that is written,
// synced and renamed over it, so a failed write never leaves a half-written
// file in place; the directory is synced after the rename so the new name
// survives a power cut. With CX_SAVE_KEEP_BACKUP the file being replaced is
// first kept as "<path>.bak" (itself replaced by a rename, so there always is
// a complete copy under one of the two names). Returns an error code.
uint32_t SaveFileAtomic(const char* path, const void* data, uint32_t size, CxError* reporter,
                        uint32_t flags = 0);

// The steps of SaveFileAtomic, for the fault-injection hook of the tests.
enum CxSaveStep
{
    CX_SAVE_WRITTEN,   // the temporary file holds the data
    CX_SAVE_SYNCED,    // ... and is on the disk and closed
    CX_SAVE_BACKED_UP, // the old file is also under "<path>.bak" (when asked)
    CX_SAVE_RENAMED,   // the new file is under path
    CX_SAVE_STEP_COUNT
};
// Called after each step; true stops the save right there, as a crash would
// (nothing is cleaned up), and SaveFileAtomic returns CX_ERR_FILE_WRITE.
typedef bool (*CxSaveStepHook)(CxSaveStep step, const char* path);
// Installs the hook (null: none); returns the previous one.
CxSaveStepHook SetSaveStepHook(CxSaveStepHook hook);

// Whether a failed open prompts for the game disc and tries again
// ("Engine.Game"/"UseBlueScreenError"; on by default).
void SetBlueScreenError(bool on);
bool GetBlueScreenError();
