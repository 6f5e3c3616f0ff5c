#include "RawLayer/RawLineFile.h"

#include <cstring>

namespace RawLayer {

namespace {

constexpr int32_t kSmallestBuffer = 16;
// Undecoded bytes that are still no whole character after this many can never become one.
constexpr int32_t kLongestCharacter = 8;

StringEncoding EffectiveOf(StringEncoding requested) { return requested == Wide ? Utf16LE : requested; }

bool IsKnownSource(StringEncoding encoding) { return encoding != Ansi && encoding != kUndetermined; }

}  // namespace

RawLineFile::RawLineFile(const RawString& path, int32_t bufferSize) {
    path_ = path;
    bufferSize_ = bufferSize < kSmallestBuffer ? kSmallestBuffer : bufferSize;
    initialBufferSize_ = bufferLimit_ = bufferSize_;
}

RawLineFile::~RawLineFile() { file_.Close(); }

void RawLineFile::SetWriteSignature(bool write) {
    flags_ = static_cast<uint16_t>(write ? flags_ | kWriteSignature : flags_ & ~kWriteSignature);
}

void RawLineFile::SetDetectionFlags(uint8_t flags) {
    flags_ |= kOwnDetection;
    ownDetectionFlags_ = flags;
}

void RawLineFile::SetBufferLimit(int32_t limit) {
    bufferLimit_ = limit < initialBufferSize_ ? initialBufferSize_ : limit;
}

// ---- reading ----

void RawLineFile::ResetReading() {
    bufferSize_ = initialBufferSize_;
    raw_.assign(static_cast<size_t>(bufferSize_) + 2, 0);
    window_.assign(static_cast<size_t>(bufferSize_) + 2, 0);
    rawFill_ = lineStart_ = dataEnd_ = lineCount_ = 0;
    total_ = 0;
    firstBlock_ = true;
    detected_ = byteOrderMark_ = source_ = Ansi;
    decoding_ = Decoding::Copy;
    writing_ = written_ = false;
}

bool RawLineFile::OpenRead() {
    file_.Close();
    ResetReading();
    if (!file_.OpenRead(path_)) return Fail(LineFileState::OpenFailed);
    state_ = LineFileState::Open;
    effective_ = EffectiveOf(requested_);
    detectionFlags_ = (flags_ & kOwnDetection) ? ownDetectionFlags_ : (kLookForMark | kSkipMark | kFromContent);
    if (!(flags_ & kNoFirstRead)) Refill();
    return true;
}

bool RawLineFile::Fail(LineFileState state) {
    state_ = state;
    if (state == LineFileState::ConversionFailed) detected_ = kUndetermined;
    return false;
}

LineRecord RawLineFile::NextLine() {
    LineRecord record;
    record.path = path_;
    while (state_ == LineFileState::Open) {
        if (TakeLine(record)) break;
        if (state_ != LineFileState::Open || !Refill()) break;
        // At the end of the file the rest of the window is the last line.
        if (state_ == LineFileState::EndOfFile) TakeLine(record);
    }
    record.detectedEncoding = detected_;
    record.byteOrderMark = byteOrderMark_;
    return record;
}

// Unconverted, the window mirrors the file and never outgrows the buffer; converted text may
// (UTF-8 takes up to three bytes for one), but the line kept must still fit.
int32_t RawLineFile::Pending() const {
    const int32_t kept = dataEnd_ - lineStart_;
    return decoding_ == Decoding::Convert ? kept : kept + rawFill_;
}

// Keeps the unfinished line, moved to the start of the window, and grows the buffer for it
// as far as the limit allows.
bool RawLineFile::MakeRoom() {
    while (Pending() >= bufferSize_) {
        if (bufferSize_ >= bufferLimit_) return Fail(LineFileState::LineTooLong);
        bufferSize_ = bufferLimit_ - bufferSize_ < bufferSize_ ? bufferLimit_ : bufferSize_ * 2;
        raw_.resize(static_cast<size_t>(bufferSize_) + 2);
    }
    const int32_t kept = dataEnd_ - lineStart_;
    std::memmove(window_.data(), window_.data() + lineStart_, static_cast<size_t>(kept));
    lineStart_ = 0;
    dataEnd_ = kept;
    return true;
}

bool RawLineFile::ReadRaw(int32_t* count) {
    const int32_t room = decoding_ == Decoding::Convert ? bufferSize_ - rawFill_ : bufferSize_ - Pending();
    if (!file_.Read(raw_.data() + rawFill_, static_cast<DWORD>(room))) return Fail(LineFileState::ReadFailed);
    *count = static_cast<int32_t>(file_.LastCount());
    rawFill_ += *count;
    return true;
}

bool RawLineFile::Refill() {
    int32_t count = 0;
    if (!MakeRoom() || !ReadRaw(&count)) return false;
    if (firstBlock_) {
        firstBlock_ = false;
        if (!DetectEncoding()) return false;
    }
    return DecodeRaw(count == 0);
}

bool RawLineFile::DetectEncoding() {
    int32_t skipped = 0;
    if (detectionFlags_ & kLookForMark) {
        byteOrderMark_ = static_cast<StringEncoding>(SniffByteOrderMark(raw_.data(), rawFill_));
        detected_ = byteOrderMark_;
        if (byteOrderMark_ != Ansi && (detectionFlags_ & kSkipMark)) skipped = byteOrderMark_ == Utf8 ? 3 : 2;
    }
    std::memmove(raw_.data(), raw_.data() + skipped, static_cast<size_t>(rawFill_ - skipped));
    rawFill_ -= skipped;
    if (detected_ == Ansi) {
        if (!(detectionFlags_ & kFromContent)) {
            detected_ = kUndetermined;
        } else if (!DetectFromContent(skipped)) {
            return false;
        }
    }
    ChooseDecoding();
    return true;
}

// Classifies the first block and, while that decides nothing, the blocks after it; the file
// pointer is then put back where normal reading goes on.
bool RawLineFile::DetectFromContent(int32_t skipped) {
    ContentDetector detector;
    detected_ = detector.Examine(raw_.data(), rawFill_, skipped);
    int64_t offset = skipped + rawFill_;
    int64_t readAhead = 0;
    std::vector<uint8_t> scratch;
    while (detected_ == Ansi) {
        scratch.resize(static_cast<size_t>(bufferSize_));
        if (!file_.Read(scratch.data(), static_cast<DWORD>(bufferSize_))) return Fail(LineFileState::ReadFailed);
        const int32_t count = static_cast<int32_t>(file_.LastCount());
        if (count == 0) break;
        detected_ = detector.Examine(scratch.data(), count, offset);
        offset += count;
        readAhead += count;
    }
    if (readAhead > 0 && !file_.Seek(-readAhead, FILE_CURRENT)) return Fail(LineFileState::ReadFailed);
    return true;
}

// Decides how raw bytes become the window, and how delivered lines are tagged. A window for a
// UTF-16 target always holds UTF-16: text of unknown content is taken from the ANSI code page.
// Text already in the requested encoding is checked only when that encoding was a guess: a
// byte-order mark is trusted, and its file's bytes pass unchanged.
void RawLineFile::ChooseDecoding() {
    const bool known = IsKnownSource(detected_);
    const bool named = detected_ == byteOrderMark_;
    source_ = known ? detected_ : Ansi;
    lineEncoding_ = requested_;
    if (known && detected_ == effective_) {
        decoding_ = IsUtf16(effective_) || named ? Decoding::Copy : Decoding::Validate;
    } else if (known || IsUtf16(effective_)) {
        decoding_ = Decoding::Convert;
    } else {
        decoding_ = Decoding::Copy;
        if (flags_ & kTagUnknownAsAnsi) lineEncoding_ = Ansi;
    }
}

// Decodes the raw bytes that form whole characters into the window; the rest waits for the
// next read. At the end of the file every byte must decode.
bool RawLineFile::DecodeRaw(bool atEnd) {
    int32_t usable = rawFill_;
    if (!atEnd && decoding_ != Decoding::Copy) {
        const int32_t cut = CutAtCharBoundary(source_, raw_.data(), rawFill_);
        if (cut > 0 || source_ != Ansi) usable = cut;
    }
    bool decoded = true;
    if (decoding_ == Decoding::Copy) {
        decoded = readConverter_.Convert(source_, source_, raw_.data(), usable, false, window_, &dataEnd_);
    } else {
        decoded = readConverter_.Convert(source_, effective_, raw_.data(), usable, true, window_, &dataEnd_);
    }
    if (!decoded) return Fail(LineFileState::ConversionFailed);
    rawFill_ -= usable;
    std::memmove(raw_.data(), raw_.data() + usable, static_cast<size_t>(rawFill_));
    if (rawFill_ > kLongestCharacter) return Fail(LineFileState::ConversionFailed);
    if (atEnd) state_ = LineFileState::EndOfFile;
    return true;
}

int32_t RawLineFile::UnitBytes() const { return IsUtf16(effective_) ? 2 : 1; }

uint32_t RawLineFile::WindowUnit(int32_t pos) const {
    const uint8_t* at = window_.data() + pos;
    if (!IsUtf16(effective_)) return at[0];
    return effective_ == Utf16BE ? (at[0] << 8 | at[1]) : (at[1] << 8 | at[0]);
}

int32_t RawLineFile::FindLineBreak(int32_t from) const {
    const int32_t unit = UnitBytes();
    for (int32_t pos = from; pos + unit <= dataEnd_; pos += unit) {
        const uint32_t value = WindowUnit(pos);
        if (value == 13 || value == 10) return pos;
    }
    return dataEnd_;
}

bool RawLineFile::TakeLine(LineRecord& record) {
    const int32_t unit = UnitBytes();
    const bool atEnd = state_ == LineFileState::EndOfFile;
    const int32_t breakAt = FindLineBreak(lineStart_);
    if (breakAt >= dataEnd_) {
        if (!atEnd || lineStart_ >= dataEnd_) return false;
        return Deliver(record, dataEnd_, 0);
    }
    if (WindowUnit(breakAt) == 10) return Deliver(record, breakAt, unit);
    if (breakAt + 2 * unit <= dataEnd_) {
        return Deliver(record, breakAt, WindowUnit(breakAt + unit) == 10 ? 2 * unit : unit);
    }
    // A CR at the end of the window: whether LF follows is known only after the next read.
    return atEnd ? Deliver(record, breakAt, unit) : false;
}

bool RawLineFile::Deliver(LineRecord& record, int32_t breakAt, int32_t terminatorBytes) {
    const int32_t length = breakAt - lineStart_;
    const int32_t unitSize = lineEncoding_ == Wide ? 2 : 1;
    if (unitSize == 2 && ((lineStart_ | length) & 1)) return Fail(LineFileState::Misaligned);
    uint8_t* base = window_.data();
    record.terminator = RawString::FromUnits(base + breakAt, terminatorBytes / unitSize, lineEncoding_);
    // Terminates the text in place (the window keeps two zero bytes past its data).
    if (terminatorBytes > 0) std::memset(base + breakAt, 0, static_cast<size_t>(UnitBytes()));
    record.text = RawString::MakeView(base + lineStart_, length / unitSize, lineEncoding_);
    record.found = true;
    record.position = total_;
    record.index = lineCount_++;
    total_ += length + terminatorBytes;
    lineStart_ = breakAt + terminatorBytes;
    return true;
}

// ---- writing ----

bool RawLineFile::CreateWrite(DWORD disposition) {
    file_.Close();
    writing_ = written_ = false;
    if (!file_.CreateWrite(path_, disposition)) return Fail(LineFileState::CreateFailed);
    writing_ = true;
    state_ = LineFileState::Closed;
    return true;
}

bool RawLineFile::BeginWrite() {
    if (!writing_ || !file_.IsOpen()) return false;
    state_ = LineFileState::Open;
    effective_ = EffectiveOf(requested_);
    written_ = false;
    return true;
}

bool RawLineFile::WriteBytes(const void* bytes, int32_t count) {
    if (!writing_ || state_ != LineFileState::Open) return false;
    if (!written_ && (flags_ & kWriteSignature)) {
        written_ = true;
        const ByteOrderMarkBytes mark = ByteOrderMarkOf(effective_);
        if (mark.length > 0 && !WriteBytes(mark.bytes, mark.length)) return false;
    }
    written_ = true;
    if (count > 0 && !file_.Write(bytes, static_cast<DWORD>(count))) return Fail(LineFileState::WriteFailed);
    return true;
}

// A file of undetermined content takes every text's bytes as they are. A text that the file's
// encoding cannot hold fails the write: a '?' or a look-alike in its place would be reported as
// saved.
bool RawLineFile::WriteText(const RawString& text) {
    if (!writing_ || state_ != LineFileState::Open) return false;
    const StringEncoding encoding = text.Encoding();
    const int32_t bytes = text.Length() * (encoding == Wide ? 2 : 1);
    const auto* units = static_cast<const uint8_t*>(text.Buffer());
    if (effective_ == kUndetermined || encoding == effective_ || (encoding == Wide && effective_ == Utf16LE)) {
        return WriteBytes(units, bytes);
    }
    int32_t made = 0;
    if (!writeConverter_.Convert(encoding, effective_, units, bytes, true, output_, &made)) {
        return Fail(LineFileState::WriteFailed);
    }
    return WriteBytes(output_.data(), made);
}

bool RawLineFile::WriteLine(const RawString& text) {
    static const uint8_t kLittle[] = {0x0D, 0x00, 0x0A, 0x00};
    static const uint8_t kBig[] = {0x00, 0x0D, 0x00, 0x0A};
    static const uint8_t kBytes[] = {0x0D, 0x0A};
    if (!WriteText(text)) return false;
    if (effective_ == Utf16LE) return WriteBytes(kLittle, 4);
    if (effective_ == Utf16BE) return WriteBytes(kBig, 4);
    return WriteBytes(kBytes, 2);
}

bool RawLineFile::Flush() {
    if (!writing_ || state_ != LineFileState::Open) return false;
    return file_.Flush() || Fail(LineFileState::WriteFailed);
}

bool RawLineFile::Close() {
    bool done = state_ == LineFileState::Open || state_ == LineFileState::EndOfFile;
    if (file_.IsOpen() && !file_.Close() && writing_) {
        if (done) state_ = LineFileState::WriteFailed;
        done = false;
    }
    if (done) state_ = LineFileState::Closed;
    writing_ = false;
    requested_ = effective_ = Utf8;
    flags_ = 0;
    detected_ = Ansi;
    return done;
}

}  // namespace RawLayer
