// RawLineFile: reads a text file line by line, whatever its encoding, delivering each line in
// the requested encoding; writes one line by line in a chosen encoding with an optional
// byte-order mark. Owns its file handle and buffers. A delivered line's text views the read
// buffer and is valid only until the next NextLine; keep a copy to keep the text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "RawLayer/RawByteConverter.h"
#include "RawLayer/RawFile.h"
#include "RawLayer/RawString.h"

namespace RawLayer {

enum class LineFileState : int32_t {
    Closed = 0,
    Open = 1,
    EndOfFile = 2,  // the window may still hold the last line
    OpenFailed = 4,
    CreateFailed = 5,
    ReadFailed = 6,  // ReadFile or a seek failed: the rest of the file is unknown
    WriteFailed = 7,
    ConversionFailed = 11,  // the content does not decode cleanly in the detected encoding
    LineTooLong = 12,
    Misaligned = 13,  // a UTF-16 line does not start or end on a unit boundary
};

struct LineRecord {
    bool found = false;
    RawString path;
    int64_t position = 0;  // of the line start, in delivered bytes
    int32_t index = 0;
    RawString text;        // without terminator; a view into the read buffer
    RawString terminator;  // CR, LF or CR LF; empty for a last line without one
    StringEncoding detectedEncoding = Ansi;
    StringEncoding byteOrderMark = Ansi;  // Ansi (none), Utf8, Utf16BE or Utf16LE
};

// The state of a line file; RawLineFile adds the operations.
class RawLineFileInfo {
public:
    static constexpr uint16_t kTagUnknownAsAnsi = 0x10;  // unconverted lines of unknown content are Ansi
    static constexpr uint16_t kWriteSignature = 0x20;    // byte-order mark before the first bytes
    static constexpr uint16_t kNoFirstRead = 0x40;       // OpenRead does not read the first block
    static constexpr uint16_t kOwnDetection = 0x80;      // use the caller's detection flags

    static constexpr uint8_t kLookForMark = 1;
    static constexpr uint8_t kSkipMark = 2;
    static constexpr uint8_t kFromContent = 4;

protected:
    enum class Decoding { Copy, Validate, Convert };

    uint16_t flags_ = 0;
    FileHandle file_;
    bool writing_ = false;
    bool written_ = false;  // something went to the written file
    LineFileState state_ = LineFileState::Closed;
    RawString path_;
    std::vector<uint8_t> window_;  // delivered bytes; two zero bytes follow dataEnd_
    int32_t lineStart_ = 0;
    int32_t dataEnd_ = 0;
    int64_t total_ = 0;
    int32_t lineCount_ = 0;
    std::vector<uint8_t> raw_;  // bytes read and not yet decoded (buffer size + 2)
    int32_t rawFill_ = 0;
    bool firstBlock_ = true;
    uint8_t detectionFlags_ = 0;
    uint8_t ownDetectionFlags_ = kLookForMark | kSkipMark | kFromContent;
    Decoding decoding_ = Decoding::Copy;
    StringEncoding source_ = Ansi;        // what the window is decoded from
    StringEncoding lineEncoding_ = Utf8;  // tag of delivered lines
    StringEncoding byteOrderMark_ = Ansi;
    ByteConverter readConverter_;
    ByteConverter writeConverter_;
    std::vector<uint8_t> output_;
    StringEncoding detected_ = Ansi;
    StringEncoding requested_ = Utf8;
    StringEncoding effective_ = Utf8;
    int32_t bufferSize_ = 8192;
    int32_t initialBufferSize_ = 8192;
    int32_t bufferLimit_ = 8192;
};

class RawLineFile : protected RawLineFileInfo {
public:
    using RawLineFileInfo::kFromContent;
    using RawLineFileInfo::kLookForMark;
    using RawLineFileInfo::kNoFirstRead;
    using RawLineFileInfo::kOwnDetection;
    using RawLineFileInfo::kSkipMark;
    using RawLineFileInfo::kTagUnknownAsAnsi;
    using RawLineFileInfo::kWriteSignature;

    explicit RawLineFile(const RawString& path, int32_t bufferSize = 8192);
    virtual ~RawLineFile();
    RawLineFile(const RawLineFile&) = delete;
    RawLineFile& operator=(const RawLineFile&) = delete;

    // Reading. After a successful open the detected encoding and mark kind are known (unless
    // kNoFirstRead); read errors show in State() and end the lines.
    bool OpenRead();
    LineRecord NextLine();

    // Writing: CreateWrite, then SetRequestedEncoding / SetWriteSignature, BeginWrite, writes, Close.
    bool CreateWrite(DWORD disposition);
    bool BeginWrite();
    bool WriteText(const RawString& text);
    bool WriteLine(const RawString& text);
    // Puts everything written so far on the disk; the file stays open for more lines.
    bool Flush();

    // Closes the file (flushing a written one). True when nothing had failed; an error state
    // stays until the next open. Resets the requested encoding, the flags and the detection.
    bool Close();

    void SetRequestedEncoding(StringEncoding encoding) { requested_ = encoding; }
    void SetWriteSignature(bool write);
    void SetFlags(uint16_t flags) { flags_ = flags; }
    uint16_t Flags() const { return flags_; }
    // Detection flags (kLookForMark, kSkipMark, kFromContent) used when kOwnDetection is set.
    // Without kFromContent, a file without a mark is read as undetermined.
    void SetDetectionFlags(uint8_t flags);
    // Lets the read buffer grow up to limit bytes for one long line (never below the buffer size).
    void SetBufferLimit(int32_t limit);

    StringEncoding DetectedEncoding() const { return detected_; }
    StringEncoding ByteOrderMarkKind() const { return byteOrderMark_; }
    LineFileState State() const { return state_; }
    const RawString& Path() const { return path_; }

protected:
    // Takes the next whole line out of the window; false when none is there (yet).
    virtual bool TakeLine(LineRecord& record);
    // First CR or LF unit at or after from, or dataEnd_.
    virtual int32_t FindLineBreak(int32_t from) const;

private:
    void ResetReading();
    bool Refill();
    int32_t Pending() const;
    bool MakeRoom();
    bool ReadRaw(int32_t* count);
    bool DetectEncoding();
    bool DetectFromContent(int32_t skipped);
    void ChooseDecoding();
    bool DecodeRaw(bool atEnd);
    bool Fail(LineFileState state);
    int32_t UnitBytes() const;
    uint32_t WindowUnit(int32_t pos) const;
    bool Deliver(LineRecord& record, int32_t breakAt, int32_t terminatorBytes);
    bool WriteBytes(const void* bytes, int32_t count);
};

}  // namespace RawLayer
