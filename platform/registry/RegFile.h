#pragma once
// .reg text, as the Windows Registry Editor writes it ("Windows Registry
// Editor Version 5.00"): keys in brackets, "name"=... lines, @ for the default
// value, "string" (with \\ and \" escaped), dword:0000002a, hex:01,02 (with
// continuation lines ending in a backslash), [-KEY] to delete a key and
// "name"=- to delete a value. Text is UTF-8 here.

#include <string>

namespace registry {

// The text of the key (a full path such as "HKEY_CURRENT_USER\\Software") and
// everything under it; the whole registry when the path is empty. Keys come
// depth first in the order of their names, ignoring case. Lines end in CRLF,
// as regedit writes them. REG_SZ data that "text" cannot give back byte for
// byte (no terminator, an inner NUL, a line break, a lone surrogate) is
// written as hex(1): instead. False, with *error set, when the key does not
// exist, or when a key or value name holds a line break, which .reg text
// has no way to write.
bool ExportRegText(const std::string& keyPath, std::string* out, std::string* error);

// Applies .reg text in one transaction: when any line cannot be read,
// nothing is written and *error says "line N: what is wrong". A leading
// UTF-8 or UTF-16 byte-order mark is accepted.
bool ImportRegText(const std::string& text, std::string* error);

}  // namespace registry
