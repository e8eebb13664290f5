// streams.cpp — see streams.h.
#include "host/streams.h"

#include <algorithm>
#include <climits>

#include "host/files.h"
#include "host/scramble.h"

bool RtDataBuffer::AllocateBytes(int length) {
    if (data_ || length < 0) return false;
    data_ = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(length));
    length_ = length;
    return true;
}

c_DataBuffer* c_DataBuffer::Allocate(int length) {
    if (!AllocateBytes(length)) RuntimeError(u"Allocate DataBuffer failed");
    return this;
}

// ---- RtFileStream -----------------------------------------------------------

RtFileStream::~RtFileStream() { Close(); }

Ref<RtFileStream> RtFileStream::Open(StringView path, StringView mode) {
    std::FILE* f = nullptr;
    if (mode == u"r") {
        f = OpenFile(path, "rb");
    } else if (mode == u"w") {
        f = OpenFile(path, "wb");
    } else if (mode == u"u") {
        f = OpenFile(path, "rb+");
        if (!f) f = OpenFile(path, "wb+");
    }
    if (!f) return nullptr;
    std::fseek(f, 0, SEEK_END);
    long end = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    auto stream = New<RtFileStream>();
    stream->file_ = f;
    // Streams count in ints; a larger file reads as far as an int reaches.
    stream->length_ = static_cast<int>(std::clamp<long>(end, 0, INT_MAX));
    return stream;
}

int RtFileStream::Eof() {
    if (!file_) return -1;
    return position_ == length_ ? 1 : 0;
}

void RtFileStream::Close() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    position_ = 0;
    length_ = 0;
}

int RtFileStream::Seek(int position) {
    if (!file_) return 0;
    std::fseek(file_, position, SEEK_SET);
    position_ = static_cast<int>(std::clamp<long>(std::ftell(file_), 0, INT_MAX));
    return position_;
}

namespace {
// Clips [offset, offset + count) to a buffer of `length` bytes; the count
// that may be moved (0 for a range outside the buffer).
int ClipRange(int length, int offset, int count) {
    if (offset < 0 || count <= 0 || offset >= length) return 0;
    return std::min(count, length - offset);
}
}  // namespace

int RtFileStream::Read(RtDataBuffer& buffer, int offset, int count) {
    if (!file_) return 0;
    count = ClipRange(buffer.Length(), offset, count);
    if (count == 0) return 0;
    int n = static_cast<int>(std::fread(buffer.Data() + offset, 1, static_cast<std::size_t>(count), file_));
    position_ += n;
    return n;
}

int RtFileStream::Write(RtDataBuffer& buffer, int offset, int count) {
    if (!file_) return 0;
    count = ClipRange(buffer.Length(), offset, count);
    if (count == 0) return 0;
    int n = static_cast<int>(std::fwrite(buffer.Data() + offset, 1, static_cast<std::size_t>(count), file_));
    position_ += n;
    length_ = std::max(length_, position_);
    return n;
}

// ---- game streams -------------------------------------------------------------

c_FileStream::c_FileStream(StringView path, StringView mode) : stream_(RtFileStream::Open(path, mode)) {
    if (!stream_) {
        ReadingFile reading(path);
        RuntimeError(u"Failed to open stream");
    }
}

int c_FileStream::Length() { return stream_ ? stream_->Length() : 0; }

int c_FileStream::Read(c_DataBuffer& buffer, int offset, int count) {
    return stream_ ? stream_->Read(buffer, offset, count) : 0;
}

void c_FileStream::Close() {
    if (!stream_) return;
    stream_->Close();
    stream_.reset();
}

int ReadByte(c_FileInputStream& input) {
    static Ref<c_DataBuffer> one = [] {
        auto buffer = New<c_DataBuffer>();
        buffer->Allocate(1);
        return buffer;
    }();
    if (input.Stream().Read(*one, 0, 1) < 1) ThrowError<c_StreamReadError>(input.StreamRef());
    return static_cast<std::int8_t>(one->Data()[0]);
}

// ---- scrambled files ------------------------------------------------------

std::uint32_t& ScrambleSeed() {
    static std::uint32_t seed = kScrambleSeed;
    return seed;
}

Ref<c_DataBuffer> LoadScrambled(StringView path) {
    ReadingFile reading(path);
    auto input = New<c_FileInputStream>(path);
    c_FileStream& stream = input->Stream();
    if (stream.Length() < 3) {
        stream.Close();
        return nullptr;
    }
    int magic0 = ReadByte(*input) & 0xFF;
    int magic1 = ReadByte(*input) & 0xFF;
    int check = ReadByte(*input) & 0xFF;
    if (magic0 != kScrambleMagic0 || magic1 != kScrambleMagic1) {
        stream.Close();
        return nullptr;
    }
    auto buffer = New<c_DataBuffer>();
    buffer->Allocate(stream.Length() - 3);
    int got = stream.Read(*buffer, 0, buffer->Length());
    stream.Close();
    if (got != buffer->Length()) return nullptr;
    std::uint8_t sum =
        ScramblePayload(buffer->Data(), static_cast<std::size_t>(buffer->Length()), ScrambleSeed(), false);
    return sum == check ? buffer : nullptr;
}
