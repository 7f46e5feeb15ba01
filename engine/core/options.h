// Option (INI) files: CxOptions holds one file in memory, answers typed
// reads with defaults, takes writes and writes the file back when flushed.
//
// Format: "[Section]" lines and "Name = Value" lines; ";" starts a comment.
// Section and variable names compare without regard to case; the first of
// several equal names wins every lookup, and all of them are written back.
// The section argument of every call is looked up as "[" section "]" unless
// it begins with "[" itself.
#pragma once

#include "engine/base/cx_string.h"
#include "engine/base/geometry.h"
#include "engine/base/linked_list.h"
#include "engine/base/object.h"
#include "engine/core/error.h"

#include <cstdint>

class CxOptionVariable : public CxError, public CxObject
{
public:
    CxOptionVariable(const char* name, const char* value) : m_strName(name), m_strValue(value) {}
    const CxString& GetName() const { return m_strName; }
    const CxString& GetValue() const { return m_strValue; }
    void SetValue(const char* value) { m_strValue = value; }

private:
    CxString m_strName;
    CxString m_strValue;
};

class CxOptionSection : public CxError, public CxObject
{
public:
    explicit CxOptionSection(const char* name) : m_strName(name) {}
    ~CxOptionSection() override;

    // The name as it stands in the file, brackets included.
    const CxString& GetName() const { return m_strName; }
    CxOptionVariable* FirstVariable();
    CxOptionVariable* NextVariable();
    CxOptionVariable* FindVariable(const char* name) const;
    CxOptionVariable* AddVariable(const char* name, const char* value);
    void RemoveVariable(const char* name);
    const CxLinkedList<CxOptionVariable*>& GetVariables() const { return m_Variables; }

private:
    CxString m_strName;
    CxLinkedList<CxOptionVariable*> m_Variables;
    CxListNode<CxOptionVariable*>* m_pCursor = nullptr;
};

class CxOptions : public CxError
{
public:
    CxOptions() = default;
    explicit CxOptions(const char* fileName);
    CxOptions(const CxOptions&) = delete;
    CxOptions& operator=(const CxOptions&) = delete;
    // Flushes: a changed object writes its file.
    ~CxOptions() override;

    virtual uint32_t SetNumber(const char* section, const char* name, long value);
    virtual uint32_t SetString(const char* section, const char* name, const char* text);
    virtual uint32_t GetPoint(const char* section, const char* name, CxPoint* out,
                              const CxPoint& defaultPoint);
    virtual uint32_t GetFloat(const char* section, const char* name, float* out, float defaultValue);
    virtual uint32_t GetNumber(const char* section, const char* name, long* out, long defaultValue);
    virtual uint32_t GetString(const char* section, const char* name, char* out, const char* defaultText,
                               uint32_t size);
    virtual uint32_t AddVariable(const char* section, const char* name, const char* value);
    virtual uint32_t RemoveVariable(const char* section, const char* name);
    virtual uint32_t RemoveSection(const char* section);

    // Flushes, takes the new name and loads it.
    uint32_t Open(const char* fileName);
    // Flushes, deletes the named file and takes its name; the contents stay empty.
    uint32_t NewFile(const char* fileName);
    // Flushes, then reads the file; CX_ERR_FILE_NOT_FOUND when it is missing.
    uint32_t Load();
    // Parses text as the contents of a file (appended to what is held).
    void Parse(const char* text, uint32_t size);
    // Writes the file when it changed and has a name. Returns an error code;
    // the file on disk is replaced only by a complete new copy. A failed save
    // leaves the object changed, so a later Save tries again.
    uint32_t Save();
    // Save, then drop every section. Returns the result of the save.
    uint32_t Flush();
    // Drops every section and the changes without writing anything.
    void Discard();
    // Whether Save keeps the file it replaces as "<file>.bak" (off by default).
    void SetKeepBackup(bool keep) { m_bKeepBackup = keep; }
    bool GetKeepBackup() const { return m_bKeepBackup; }

    CxOptionSection* FindSection(const char* name) const;
    CxOptionVariable* FindVariable(const char* section, const char* name) const;
    CxOptionSection* AddSection(const char* name);
    // Hands the written form of Save ("[Section]" lines and "%s=%s" lines,
    // CR LF line ends) to sink piece by piece.
    void WriteTo(void (*sink)(const char* text, uint32_t length, void* context), void* context) const;

    const char* GetFileName() const { return m_strFileName.c_str(); }
    bool IsDirty() const { return m_bDirty; }
    bool IsExportingDefaults() const { return m_bExportDefaults; }
    const CxLinkedList<CxOptionSection*>& GetSections() const { return m_Sections; }

private:
    CxOptionSection* FindOrAddSection(const char* section);
    void DeleteSections();

    CxString m_strFileName;
    CxLinkedList<CxOptionSection*> m_Sections;
    CxOptionSection* m_pCurrentSection = nullptr;
    bool m_bDirty = false;
    bool m_bExportDefaults = false;
    bool m_bKeepBackup = false;
};

// The program's main option file (the application object registers itself).
void SetMainOptions(CxOptions* options);
CxOptions* GetMainOptions();
