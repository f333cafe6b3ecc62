// The vault: what a removal took away, kept in <data folder>\vault, one file per removal, so
// that its restore gives back exactly that. The history record of the removal keeps the file's
// token; a token is "<area prefix>-" and 16 hexadecimal digits, so no record's text can name a
// file outside the vault.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "historyline.h"

// The first line of every vault file.
constexpr char kVaultHeader[] = "SentroviaVault 1";
constexpr size_t kVaultLimit = 4 * 1024 * 1024;  // bytes of a vault file, written or read

// Text and bytes in hexadecimal ("-" when empty), so no name or data can split a line.
std::string Hex(const void *data, size_t size);
std::string Hex(const std::string &text);
// False for anything but "-" or an even run of hexadecimal digits.
bool Unhex(const std::string &text, std::string &bytes);
// A file's lines (a trailing "\r" dropped) and a line's blank-separated fields.
std::vector<std::string> LinesOf(const std::string &text);
std::vector<std::string> FieldsOf(const std::string &line);

// The text of a vault file; it stops growing at the vault's limit.
struct VaultText {
    std::string text;
    bool fits = true;
    void Line(const std::string &line);
};

using VaultToken = char[kHistoryKeptWidth + 1];

// Writes the text to a file of its own, never over another removal's; the token (prefix, a
// dash and 16 digits) names it. False, with an empty token, when it could not be written whole.
bool WriteVaultFile(const char *prefix, const std::string &place, const std::string &text,
                    VaultToken &token);
// The whole file, or false when it is missing, not a vault token's, or larger than the limit.
bool ReadVaultFile(const char *token, std::string &text);
// Where a removal that keeps a whole file (not text) puts it, beside the token's file.
bool VaultDataFile(const char *token, char *file, size_t capacity);
// Deletes the token's file and its data file; an empty token is none.
void DropVaultFile(const char *token);
bool IsVaultToken(const char *token);
