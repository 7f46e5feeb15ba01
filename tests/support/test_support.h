// Helpers shared by the tests: a scratch directory and a scope that
// captures error reports instead of showing them.
#pragma once

#include "engine/core/error.h"
#include "engine/core/log.h"

#include <cstdint>
#include <string>
#include <vector>

// A fresh directory under /tmp, removed with everything in it at scope end.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_Path; }
    std::string File(const std::string& name) const { return m_Path + "/" + name; }
    // Writes bytes to a file in the directory and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        return Write(name, std::string(bytes.begin(), bytes.end()));
    }
    static std::string Read(const std::string& path);

private:
    std::string m_Path;
};

struct CapturedError
{
    uint32_t code;
    std::string text;
};

// Installs a handler that records every report and answers `answer`;
// restores the previous handler at scope end.
class ErrorCapture
{
public:
    explicit ErrorCapture(int32_t answer = 1);
    ~ErrorCapture();
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    const std::vector<CapturedError>& Errors() const { return s_Errors; }
    void Clear() { s_Errors.clear(); }
    // Called for each report after it is recorded (may change the answer).
    void (*m_pOnReport)(uint32_t code) = nullptr;

    static int32_t s_nAnswer;
    static std::vector<CapturedError> s_Errors;
    static ErrorCapture* s_pActive;

private:
    CxErrorHandler m_pPrevious;
};

// Collects the program's output lines (Output) for the life of the object.
class OutputCapture : public CxOutputListener
{
public:
    OutputCapture() : m_pPrevious(SetOutputListener(this)) {}
    ~OutputCapture() override { SetOutputListener(m_pPrevious); }
    void OnOutput(const char* text) override { m_Text += text; }
    std::string m_Text;

private:
    CxOutputListener* m_pPrevious;
};
