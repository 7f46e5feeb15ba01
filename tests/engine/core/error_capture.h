// Test helper: collects the reports of the program-wide error path instead
// of showing them, and restores the previous handler afterwards.
#pragma once

#include "engine/core/error.h"

#include <string>
#include <vector>

struct CapturedError
{
    uint32_t code;
    std::string text;
};

class ErrorCapture
{
public:
    ErrorCapture() : m_Previous(SetErrorHandler(&ErrorCapture::Handle)) { Errors().clear(); }
    ~ErrorCapture() { SetErrorHandler(m_Previous); }

    static std::vector<CapturedError>& Errors()
    {
        static std::vector<CapturedError> errors;
        return errors;
    }

private:
    static int32_t Handle(uint32_t code, const char* text)
    {
        Errors().push_back({code, text ? text : ""});
        return 0;
    }

    CxErrorHandler m_Previous;
};
