// The fixed texts a capture answers in place of a dump.
#pragma once

namespace corvane::capture {

inline constexpr const char* kFallback =
    "Trace Error: Stack trace sent to the console; output could not be captured.\n"
    "Start as service or redirect console output for Corvane integrated trace.";
inline constexpr const char* kTempPathUndefined = "Trace Error: Temp Path Undefined";
inline constexpr const char* kFailedToConvert = "Trace Error: Failed to convert temp file directory";
inline constexpr const char* kUnableToGenerateName = "Trace Error: Unable to generate temp file name";
inline constexpr const char* kFailedToGenerateName = "Trace Error: Failed to generate temp file name";
inline constexpr const char* kPathLength = "Trace Error: Error Calculating length of full path";
inline constexpr const char* kNoPathMemory = "Trace Error: Failed to allocate memory for full temp file path";
inline constexpr const char* kOpenFailed =
    "Trace Error: Stack trace sent to the console; output could not be captured. Capture file open failed";
inline constexpr const char* kDupFailed =
    "Trace Error: Stack trace sent to the console; output could not be captured. Stdout dup failed";
inline constexpr const char* kSwitchFailed =
    "Trace Error: Stack trace sent to the console; output could not be captured. Stdout switch failed";
inline constexpr const char* kFstatFailed =
    "Trace Error: Stack trace sent to the console; output could not be captured. Fstat failed";
inline constexpr const char* kReadFailed =
    "Trace Error: Stack trace sent to the console; output could not be captured. Read failed";

}  // namespace corvane::capture
