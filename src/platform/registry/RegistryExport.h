// The settings hive's file text: a registry export in UTF-8.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\software\KESTRIX\FONTSETTING]
//   "EDIT_Face"=hex(1):82,6c,82,72,81,40,96,be,92,a9
//   "FTP_URL"="ftp.example.jp"
//
// A value is written as "text" only when it is REG_SZ whose bytes are code
// page 932 text ending in exactly one NUL, with no other NUL, no line break,
// and that converts to Unicode and back to the very same bytes. Every other
// value is written as hex(type):bytes, so any type and any bytes come back
// exactly. "@" is the default (unnamed) value. In "text" and in quoted value
// names, \ and " are written as \\ and \".
//
// Key and value names are written as Unicode text. A byte of a name that
// cannot be written that way - a byte that is not part of code page 932 text
// that converts back exactly, a control character, or "%" itself - is
// written as %XX (two hex digits), so every name comes back byte for byte.
// When reading, "%" not followed by two hex digits stands for itself.
#pragma once

#include "platform/registry/RegistryKey.h"

#include <expected>
#include <string>
#include <string_view>

class RegistryExport {
public:
    // Why a hive file could not be read: the line (from 1) and the reason in
    // Japanese, UTF-8.
    struct ParseError {
        int line = 0;
        std::string reason;
    };

    static std::expected<RegistryKey, ParseError> Parse(std::string_view fileBytes);
    static std::string Serialise(const RegistryKey& root);
};
