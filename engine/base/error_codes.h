// Error codes and their title texts.
//
// Operations report failure by code, never by exception. The codes and their
// texts are shared by every layer; the reporting path that counts and shows
// them is CxError's (engine/core/error.h).
#pragma once

#include <cstdint>

constexpr uint32_t CX_ERR_NONE = 0;
constexpr uint32_t CX_ERR_OUT_OF_MEMORY = 1;
constexpr uint32_t CX_ERR_FILE_OPEN = 2;
constexpr uint32_t CX_ERR_FILE_CLOSE = 3;
constexpr uint32_t CX_ERR_FILE_CREATE = 4;
constexpr uint32_t CX_ERR_FILE_READ = 5;
constexpr uint32_t CX_ERR_FILE_WRITE = 6;
constexpr uint32_t CX_ERR_FILE_SEEK = 7;
constexpr uint32_t CX_ERR_FILE_DELETE = 8;
constexpr uint32_t CX_ERR_FILE_NOT_FOUND = 9;
constexpr uint32_t CX_ERR_INVALID_FILE_TYPE = 10;
constexpr uint32_t CX_ERR_INVALID_PATH = 11;
constexpr uint32_t CX_ERR_DISK = 12;
constexpr uint32_t CX_ERR_UNKNOWN = 13;
constexpr uint32_t CX_ERR_CRC = 14;
constexpr uint32_t CX_ERR_DISK_SPACE = 15;
constexpr uint32_t CX_ERR_INVALID_ARGUMENT = 16;
constexpr uint32_t CX_ERR_ASSERTION = 17;
constexpr uint32_t CX_ERR_CD_MISSING = 18;
constexpr uint32_t CX_ERR_COUNT = 19;

#define CX_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))

// The title text of an error code; codes outside the table give "Unknown Error".
const char* GetErrorText(uint32_t code);
