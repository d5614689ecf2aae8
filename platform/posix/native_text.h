// POSIX build: conversion between wide text and the file system's bytes.
//
// File names are bytes, and not every byte string is valid in the locale's
// encoding. A byte that does not decode becomes U+DC80 + byte (a lone
// surrogate, which no valid text contains), so every name converts back to
// exactly the bytes it came from. For display such a byte shows as "?".
#pragma once

#include <string>

std::wstring from_native(const std::string& bytes);
std::string to_native(const std::wstring& text);
std::string to_display(const std::wstring& text);

// Text equality as Windows compares names: letters without regard to case.
bool same_ignoring_case(const std::wstring& a, const std::wstring& b);
