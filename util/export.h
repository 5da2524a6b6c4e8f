// Marks the classes and functions of the string and file library that the
// program exports by their decorated names.
#pragma once

#if defined(_WIN32)
#define QUILLON_UTIL_API __declspec(dllexport)
#else
#define QUILLON_UTIL_API
#endif
