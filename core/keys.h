// The programs' own registry tree (under HKEY_CURRENT_USER unless noted).
#pragma once

inline constexpr const char kVendorKey[] = "Software\\Orvanto";
inline constexpr const char kProductKey[] = "Software\\Orvanto\\Sentrovia";
inline constexpr const char kOptionsKey[] = "Software\\Orvanto\\Sentrovia\\Options";
inline constexpr const char kDetectedKey[] = "Software\\Orvanto\\Detected";
