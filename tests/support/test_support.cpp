#include "tests/support/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TempDir::TempDir()
{
    char pattern[] = "/tmp/rumbo-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    m_Path = made ? made : "/tmp";
}

TempDir::~TempDir()
{
    std::error_code ignored;
    if (m_Path != "/tmp")
        std::filesystem::remove_all(m_Path, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return path;
}

std::string TempDir::Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int32_t ErrorCapture::s_nAnswer = 1;
std::vector<CapturedError> ErrorCapture::s_Errors;
ErrorCapture* ErrorCapture::s_pActive = nullptr;

static int32_t CaptureHandler(uint32_t code, const char* text)
{
    ErrorCapture::s_Errors.push_back({code, text ? text : ""});
    if (ErrorCapture::s_pActive && ErrorCapture::s_pActive->m_pOnReport)
        ErrorCapture::s_pActive->m_pOnReport(code);
    return ErrorCapture::s_nAnswer;
}

ErrorCapture::ErrorCapture(int32_t answer)
{
    s_nAnswer = answer;
    s_Errors.clear();
    s_pActive = this;
    m_pPrevious = SetErrorHandler(CaptureHandler);
}

ErrorCapture::~ErrorCapture()
{
    SetErrorHandler(m_pPrevious);
    s_pActive = nullptr;
    s_Errors.clear();
}
