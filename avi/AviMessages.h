// The fixed messages of the AVI writer, in the order in which a write can meet them.
#pragma once

namespace avi_messages {
inline constexpr const char* NoBitmaps = "No bitmaps on the Bitmaps list";
// "Bitmaps[" + index + "] is not a TBitmap"
inline constexpr const char* NotABitmapBefore = "Bitmaps[";
inline constexpr const char* NotABitmapAfter = "] is not a TBitmap";
inline constexpr const char* WorkFile = "Failed to create AVI video work file";
inline constexpr const char* VideoStream = "Failed to create AVI video stream";
inline constexpr const char* InvalidBitmap = "Invalid bitmap";
inline constexpr const char* InvalidPixelFormat = "Invalid pixel foramt";
inline constexpr const char* BitmapInfo = "Failed to retrieve bitmap info";
inline constexpr const char* StreamFormat = "Failed to set AVI stream format";
// Followed by the error code as eight upper-case hexadecimal digits.
inline constexpr const char* AddFrame = "Failed to add frame to AVI. Err=";
inline constexpr const char* VideoEditStream = "Could not create Video Stream";
inline constexpr const char* AudioNoHandler =
    "According to the registry, the type of audio file specified in AVIFileOpen does not have a handler to process it.";
inline constexpr const char* AudioBadFormat = "The file could not be read, indicating a corrupt file or an unrecognized format.";
inline constexpr const char* AudioMemory = "The file could not be opened because of insufficient memory.";
inline constexpr const char* AudioFileRead = "A disk error occurred while reading the audio file.";
inline constexpr const char* AudioFileOpen = "A disk error occurred while opening the audio file.";
inline constexpr const char* AudioUnknown = "Unknown error opening audio file";
inline constexpr const char* AudioStream = "Unable to get audio stream";
inline constexpr const char* AudioEditStream = "Failed to create editable AVI audio stream";
inline constexpr const char* WavExtension = "WavFileName must name a file with the .wav extension";

// The code frame failures report when the disk refuses the data (AVIERR_FILEWRITE).
inline constexpr unsigned AVIERR_FILEWRITE = 0x8004406E;
} // namespace avi_messages
