// FileReader: reads one file either as 8-bit bytes (kAsciiMode, 1) or as
// UTF-16 little-endian units after an FF FE mark (kUnicodeMode, 0). The table
// loader uses the 8-bit delimited read; clients may use the whole reader on
// their own. Every error is an IOException raised before anything is read or
// moved; a closed reader answers with false instead (the buffer reads check
// their buffer first, so a null buffer raises even then).
#ifndef ZABRELO_FILEREADER_H
#define ZABRELO_FILEREADER_H

#include <fstream>
#include <string>

#include "zabrelo/Export.h"

class ZABRELO_API FileReader {
public:
    FileReader();
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    /// The values Open's `mode` takes. A plain enum, so they pass as the int
    /// that Open has always taken, and callers that write 0 and 1 still work.
    enum Mode : int {
        kUnicodeMode = 0,  ///< UTF-16LE units; the file must begin FF FE, which is skipped
        kAsciiMode = 1,    ///< 8-bit bytes, nothing tested or skipped
    };

    /// Opens `path` in `mode`, closing any file open before. Any other mode
    /// value opens without a mark test and admits only the reads that take
    /// no mode (ReadBytes, ReadUnits, ReadAt; Seek does not move).
    /// The result is always true: every failure raises (code 16) instead, so
    /// callers need not test it. "Invalid file name specified." (null or empty
    /// path; nothing changes), "Could not open file: <path>." or "File is not
    /// Unicode based." (the reader is closed after either).
    bool Open(const char* path, int mode);
    /// Closes the file and clears the stream's end-of-file and failure state.
    void Close();
    /// True once a read has run into the end of the open file.
    bool IsEOF();

    /// Reads up to `maxCount` bytes, stopping at (and consuming) `delimiter`.
    /// False when no byte was stored; `out` then keeps what it held.
    /// Raises "End of file encountered." at end of file, then
    /// "File not openned as ASCII initially." outside kAsciiMode.
    bool ReadUntil(std::string& out, int maxCount, char delimiter);

    /// The 16-bit twin of ReadUntil, for kUnicodeMode: all 16 bits of a unit
    /// are compared with `delimiter`. Raises "End of file encountered.", then
    /// "File not openned as UNICODE initially." in any other mode.
    bool ReadUnicodeUntil(std::u16string& out, int maxCount, char16_t delimiter);
    /// Reads up to `count` units in kUnicodeMode, 0x0000 included; false, with
    /// `out` unchanged, when none arrived. Raises at end of file, then
    /// "File not openned as Unicode initially." in any other mode.
    bool ReadUnicode(std::u16string& out, int count);
    /// Reads up to `size` bytes into `buffer` in any mode; true if any arrived.
    /// Raises "Null buffer or zero size specified." even on a closed reader,
    /// then "End of file encountered.". Writes nothing past the bytes read.
    bool ReadBytes(unsigned char* buffer, int size);
    /// Reads up to `count` units (first byte low) into `buffer` in any mode.
    /// Stores 0 in `buffer[0]` first, so a read that found nothing leaves 0
    /// there; a lone trailing byte is never delivered. Errors as ReadBytes.
    bool ReadUnits(char16_t* buffer, int count);
    /// Reads up to `size` bytes at `position` (after the mark in kUnicodeMode).
    /// Errors as ReadBytes: at end of file it raises wherever it would read.
    /// False without reading for a negative position.
    bool ReadAt(unsigned char* buffer, int position, int size);
    /// Moves to byte `position` (after the mark in kUnicodeMode). False,
    /// without moving, at end of file or after a failure, and for a negative
    /// position; in other mode values it never moves and answers true.
    bool Seek(int position);
    /// Moves back `count` bytes in kAsciiMode (forward if negative), clearing
    /// the end-of-file state. False, changing nothing, if that is before the
    /// start of the file. Raises "File not openned as ASCII initially." in any
    /// other mode.
    bool StepBack(int count);
    /// StepBack by `count` units (two bytes each), for kUnicodeMode; raises
    /// "File not openned as Unicode initially." in other modes.
    bool StepBackUnicode(int count);
    /// Size of the whole file in bytes, mark included; 0 when closed; -1 once a
    /// read has run into the end of the file (or for a size beyond int).
    int GetSize();
    /// Whether `path` can be opened for reading as Open would: false for a
    /// null or empty path and for a directory. Needs no reader.
    static bool FileExists(const char* path);

private:
    std::ifstream stream_;
    bool open_;
    int mode_;
};

#endif  // ZABRELO_FILEREADER_H
