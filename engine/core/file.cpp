#include "engine/core/file.h"

#include "engine/platform/file_system.h"

#include "engine/core/log.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
bool s_bBlueScreenError = true;
const char* const CD_PROMPT = "Please insert the game's CD into your CD-ROM drive.";
} // namespace

void SetBlueScreenError(bool on)
{
    s_bBlueScreenError = on;
}

bool GetBlueScreenError()
{
    return s_bBlueScreenError;
}

CxFile::~CxFile()
{
    Close();
}

uint32_t CxFile::OpenStream(const char* mode)
{
    m_pStream = fopen(m_strPath.c_str(), mode);
    return m_pStream ? 0 : CX_ERR_FILE_OPEN;
}

uint32_t CxFile::Open(const char* name, uint32_t flags)
{
    Close();
    if (!name)
        return SetError(CX_ERR_INVALID_ARGUMENT, "CxFile::Open() without a file name"), m_nError;
    m_nFlags = flags;

    char mode[4] = "r+b";
    if (flags & CX_FILE_READ_ONLY)
        strcpy(mode, "rb");
    if (flags & CX_FILE_TEXT)
        *strchr(mode, 'b') = 't';
    if (flags & CX_FILE_WRITE)
        mode[0] = 'w';
    else if (flags & CX_FILE_APPEND)
        mode[0] = 'a';
    // The C library of this system knows no text mode; "t" would be rejected.
    if (char* t = strchr(mode, 't'))
        memmove(t, t + 1, strlen(t));

    if ((flags & CX_FILE_CREATE) && !FileExists(name))
        return Create(name, flags);

    GetFullPath(m_strPath, name);
    if (OpenStream(mode) == 0)
        return m_nError;

    // A file that should be there but cannot be read usually means the game
    // disc was taken out. Opens that write never prompt for it.
    const bool writing = (flags & (CX_FILE_WRITE | CX_FILE_APPEND)) != 0;
    if (!s_bBlueScreenError || writing)
    {
        SetError(CX_ERR_FILE_OPEN, "Could not open %s", m_strPath.c_str());
        return m_nError;
    }
    while (!m_pStream)
    {
        SetLastErrorCode(CX_ERR_CD_MISSING);
        CxErrorHandler handler = GetErrorHandler();
        // Without a handler, or when the player gives up, the open fails
        // instead of asking for ever.
        if (!handler || handler(CX_ERR_CD_MISSING, CD_PROMPT) == 0)
        {
            m_nError = CX_ERR_CD_MISSING;
            return m_nError;
        }
        GetFullPath(m_strPath, name);
        OpenStream(mode);
    }
    return m_nError;
}

uint32_t CxFile::Create(const char* name, uint32_t flags)
{
    Close();
    m_nFlags = flags;
    GetFullPath(m_strPath, name ? name : "");
    if (OpenStream("w+b") != 0)
        SetError(CX_ERR_FILE_OPEN, "Unable to create %s", m_strPath.c_str());
    return m_nError;
}

int64_t CxFile::Read(void* buffer, int64_t count)
{
    if (m_nError != CX_ERR_NONE || !m_pStream || count < 1 || !buffer)
        return 0;
    int64_t total = 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    while (count > 0)
    {
        const size_t piece = static_cast<size_t>(count > CX_FILE_PIECE ? CX_FILE_PIECE : count);
        const size_t got = fread(out, 1, piece, m_pStream);
        total += static_cast<int64_t>(got);
        if (got != piece)
            SetError(CX_ERR_FILE_READ, "Unable to read %d bytes from %s", static_cast<int>(piece),
                     m_strPath.c_str());
        out += piece;
        count -= static_cast<int64_t>(piece);
    }
    return total;
}

int64_t CxFile::Write(const void* buffer, int64_t count)
{
    if (!m_pStream || (m_nFlags & CX_FILE_READ_ONLY))
        return 0;
    int64_t total = 0;
    const uint8_t* in = static_cast<const uint8_t*>(buffer);
    while (count > 0 && in)
    {
        const size_t piece = static_cast<size_t>(count > CX_FILE_PIECE ? CX_FILE_PIECE : count);
        const size_t put = fwrite(in, 1, piece, m_pStream);
        total += static_cast<int64_t>(put);
        if (put != piece)
            SetError(CX_ERR_FILE_WRITE, "Unable to write %d bytes to %s", static_cast<int>(piece),
                     m_strPath.c_str());
        in += piece;
        count -= static_cast<int64_t>(piece);
    }
    // Buffered bytes that cannot reach the disk (a full disk) fail here.
    if (fflush(m_pStream) != 0 && m_nError == CX_ERR_NONE)
        SetError(CX_ERR_FILE_WRITE, "Unable to write %d bytes to %s", static_cast<int>(total),
                 m_strPath.c_str());
    return total;
}

int64_t CxFile::Printf(const char* format, ...)
{
    CxString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    return Write(text.c_str(), text.GetLength());
}

uint32_t CxFile::Seek(long position)
{
    if (!m_pStream || fseek(m_pStream, position, SEEK_SET) != 0)
        SetError(CX_ERR_FILE_SEEK, "Unable to seek to %ld", position);
    return m_nError;
}

long CxFile::Tell()
{
    if (!m_pStream)
        return 0;
    const long position = ftell(m_pStream);
    if (position < 0)
    {
        SetError(CX_ERR_FILE_SEEK, "ftell failed for %s", m_strPath.c_str());
        return 0;
    }
    return position;
}

uint32_t CxFile::SeekToEnd()
{
    if (!m_pStream || fseek(m_pStream, 0, SEEK_END) != 0)
        SetError(CX_ERR_FILE_SEEK, "Unable to seek to end");
    return m_nError;
}

long CxFile::GetLength()
{
    if (!m_pStream)
        return 0;
    const long position = Tell();
    SeekToEnd();
    const long length = Tell();
    Seek(position);
    return length;
}

uint32_t CxFile::Flush()
{
    if (m_pStream && fflush(m_pStream) != 0)
        SetError(CX_ERR_FILE_WRITE, "Unable to flush %s", m_strPath.c_str());
    return m_nError;
}

uint32_t CxFile::Sync()
{
    if (!m_pStream)
        return m_nError;
    if (fflush(m_pStream) != 0 || (fsync(fileno(m_pStream)) != 0 && errno != EINVAL && errno != EROFS))
        SetError(CX_ERR_FILE_WRITE, "Unable to write %s to disk", m_strPath.c_str());
    return m_nError;
}

uint32_t CxFile::Close()
{
    if (!m_pStream)
        return m_nError;
    // A failed close means buffered bytes did not reach the file.
    const bool failed = fclose(m_pStream) != 0;
    m_pStream = nullptr;
    if (failed && m_nError == CX_ERR_NONE)
        SetError(CX_ERR_FILE_CLOSE, "Unable to close %s", m_strPath.c_str());
    return m_nError;
}

bool FileExists(const char* path)
{
    if (!path || !*path)
        return false;
    FILE* f = fopen(ResolvePath(path).c_str(), "rb");
    if (!f)
        return false;
    fclose(f);
    return true;
}

uint32_t DeleteFile(const char* path)
{
    if (!path || remove(ResolvePath(path).c_str()) != 0)
        return CX_ERR_FILE_DELETE;
    return CX_ERR_NONE;
}

bool IsDirectory(const char* path)
{
    return path && PathIsDirectory(path);
}

void GetFullPath(CxString& out, const char* name)
{
    out = name ? name : "";
    if (out.IsEmpty())
        return;
    CxString full = AbsolutePath(name);
    if (!full.IsEmpty() && full.GetLength() < CX_MAX_PATH)
        out = full;
}

uint32_t GetTempDirectory(CxString* out)
{
    if (!out)
        return CX_ERR_INVALID_ARGUMENT;
    const char* dir = getenv("TEMP");
    if (!dir || !*dir)
        dir = getenv("TMP");
    if (!dir || !*dir)
        dir = getenv("TMPDIR");
    *out = (dir && *dir) ? dir : ".";
    const int32_t last = out->GetLength() - 1;
    if (last > 0 && ((*out)[last] == '\\' || (*out)[last] == '/'))
        out->Truncate(last);
    if (!IsDirectory(out->c_str()))
        *out = ".";
    out->Append('\\');
    return CX_ERR_NONE;
}

uint32_t LoadFile(const char* name, CxFileBuffer& buffer)
{
    buffer.Free();
    if (!name)
        return buffer.GetError();
    CxFile file;
    if (file.Open(name, CX_FILE_DEFAULT) != CX_ERR_NONE)
    {
        // The player has seen the disc prompt already; do not show it twice.
        if (file.GetError() == CX_ERR_CD_MISSING)
            buffer.SetErrorCode(CX_ERR_CD_MISSING);
        else
            buffer.SetError(file.GetError(), "LoadFile() failed");
        return buffer.GetError();
    }
    const long length = file.GetLength();
    buffer.SetPath(file.GetPath().c_str());
    if (length > 0)
    {
        if (static_cast<unsigned long>(length) > CX_BUFFER_MAX_SIZE)
            buffer.SetError(CX_ERR_OUT_OF_MEMORY, "Could not allocate %ld bytes for a CxBuffer object",
                            length);
        else if (buffer.Allocate(static_cast<uint32_t>(length)) == CX_ERR_NONE)
        {
            if (file.Read(buffer.GetData(), length) != length)
                buffer.SetErrorCode(file.GetError() ? file.GetError() : CX_ERR_FILE_READ);
        }
    }
    file.Close();
    return buffer.GetError();
}

namespace {
CxSaveStepHook s_pSaveStepHook = nullptr;

bool StopAfter(CxSaveStep step, const CxString& path)
{
    return s_pSaveStepHook && s_pSaveStepHook(step, path.c_str());
}

// Syncs the directory holding path, so that a rename in it is on the disk.
void SyncDirectoryOf(const CxString& path)
{
    CxString directory(path);
    int32_t slash = -1;
    for (int32_t i = 0; i < directory.GetLength(); ++i)
        if (directory[i] == '/')
            slash = i;
    if (slash < 0)
        directory = ".";
    else
        directory.Truncate(slash > 0 ? slash : 1);
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

// Makes "<target>.bak" a complete copy of target: a hard link (or, where the
// file system has none, a synced copy) under a temporary name, renamed over
// the old backup. False when the copy could not be made.
bool KeepBackup(const CxString& target)
{
    CxString backup;
    backup.Format("%s.bak", target.c_str());
    CxString temp;
    temp.Format("%s.bak.new", target.c_str());
    remove(temp.c_str());
    if (link(target.c_str(), temp.c_str()) != 0)
    {
        CxFileBuffer old;
        if (LoadFile(target.c_str(), old) != CX_ERR_NONE)
            return false;
        CxFile copy;
        copy.Create(temp.c_str(), CX_FILE_NEW | CX_FILE_WRITE);
        if (old.GetSize() > 0)
            copy.Write(old.GetData(), old.GetSize());
        copy.Sync();
        if (copy.Close() != CX_ERR_NONE)
        {
            remove(temp.c_str());
            return false;
        }
    }
    if (rename(temp.c_str(), backup.c_str()) != 0)
    {
        remove(temp.c_str());
        return false;
    }
    return true;
}
} // namespace

CxSaveStepHook SetSaveStepHook(CxSaveStepHook hook)
{
    CxSaveStepHook previous = s_pSaveStepHook;
    s_pSaveStepHook = hook;
    return previous;
}

uint32_t SaveFileAtomic(const char* path, const void* data, uint32_t size, CxError* reporter, uint32_t flags)
{
    CxString target;
    GetFullPath(target, path);
    CxString temp;
    temp.Format("%s.new", target.c_str());
    uint32_t code;
    {
        CxFile file;
        file.Create(temp.c_str(), CX_FILE_NEW | CX_FILE_WRITE);
        if (size > 0)
            file.Write(data, size);
        if (file.GetError() == CX_ERR_NONE && StopAfter(CX_SAVE_WRITTEN, target))
            return CX_ERR_FILE_WRITE;
        file.Sync();
        file.Close();
        code = file.GetError();
    }
    if (code == CX_ERR_NONE && StopAfter(CX_SAVE_SYNCED, target))
        return CX_ERR_FILE_WRITE;
    if (code == CX_ERR_NONE && (flags & CX_SAVE_KEEP_BACKUP) && FileExists(target.c_str()))
    {
        // Without a backup the save still goes on: the old file is replaced
        // by a complete copy either way.
        if (!KeepBackup(target))
            LogEntry(CX_LOG_WARNING, "Could not keep %s.bak", target.c_str());
        SyncDirectoryOf(target);
    }
    if (code == CX_ERR_NONE && StopAfter(CX_SAVE_BACKED_UP, target))
        return CX_ERR_FILE_WRITE;
    if (code == CX_ERR_NONE && rename(temp.c_str(), target.c_str()) != 0)
    {
        code = CX_ERR_FILE_WRITE;
        if (reporter)
            reporter->SetError(code, "Unable to replace %s", target.c_str());
    }
    else if (code != CX_ERR_NONE && reporter)
        reporter->SetErrorCode(code);
    if (code != CX_ERR_NONE)
    {
        // unlink, not remove: whatever else holds that name (a directory) is not ours.
        unlink(temp.c_str());
        return code;
    }
    SyncDirectoryOf(target);
    if (StopAfter(CX_SAVE_RENAMED, target))
        return CX_ERR_FILE_WRITE;
    return code;
}
