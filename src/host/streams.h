// streams.h — byte buffers, file streams and the scrambled data files.
//
// RtDataBuffer/RtStream/RtFileStream are the host's types; c_DataBuffer,
// c_Stream, c_FileStream and c_FileInputStream are the game's thin layer on
// top, which turns failures into runtime errors ("Failed to open stream") or
// thrown c_StreamReadError objects.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "host/object.h"
#include "host/runtime_error.h"
#include "host/text.h"

// An owned block of bytes.
class RtDataBuffer : public Object {
public:
    std::uint8_t* Data() { return data_.get(); }
    const std::uint8_t* Data() const { return data_.get(); }
    int Length() const { return length_; }
    String ToString() const override { return u"RtDataBuffer"; }

protected:
    // Reserves `length` zeroed bytes; false when the buffer already holds
    // bytes or the length is negative.
    bool AllocateBytes(int length);

private:
    std::unique_ptr<std::uint8_t[]> data_;
    int length_ = 0;
};

// The game's buffer type.
class c_DataBuffer : public RtDataBuffer {
public:
    // Reserves `length` bytes; a buffer that already holds bytes raises the
    // runtime error "Allocate DataBuffer failed".
    c_DataBuffer* Allocate(int length);
    String ToString() const override { return u"DataBuffer"; }
};

// An abstract byte stream: every operation does nothing and returns 0.
class RtStream : public Object {
public:
    virtual int Eof() { return 0; }
    virtual void Close() {}
    virtual int Length() { return 0; }
    virtual int Position() { return 0; }
    virtual int Seek(int) { return 0; }
    virtual int Read(RtDataBuffer&, int, int) { return 0; }
    virtual int Write(RtDataBuffer&, int, int) { return 0; }
};

// A stream on an open file.
class RtFileStream final : public RtStream {
public:
    ~RtFileStream() override;
    // Modes "r" (read), "w" (write, truncating) and "u" (update; created
    // when missing). Null when the file cannot be opened or the mode is
    // unknown. The path goes through MapDataPath.
    static Ref<RtFileStream> Open(StringView path, StringView mode);

    // 1 at the end, 0 before it, -1 when closed.
    int Eof() override;
    void Close() override;
    int Length() override { return length_; }
    int Position() override { return position_; }
    int Seek(int position) override;
    // Reads or writes up to `count` bytes at `offset` in the buffer; the
    // range is clipped to the buffer, so a bad offset or count never
    // reaches outside it. Return the bytes moved.
    int Read(RtDataBuffer& buffer, int offset, int count) override;
    int Write(RtDataBuffer& buffer, int offset, int count) override;
    String ToString() const override { return u"RtFileStream"; }

private:
    std::FILE* file_ = nullptr;
    int position_ = 0;
    int length_ = 0;
};

// The game's abstract stream.
class c_Stream : public Object {
public:
    virtual int Length() = 0;
    virtual int Read(c_DataBuffer& buffer, int offset, int count) = 0;
    virtual void Close() = 0;
};

class c_FileStream final : public c_Stream {
public:
    // Opens the file; raises "Failed to open stream" when it cannot.
    c_FileStream(StringView path, StringView mode);
    int Length() override;
    int Read(c_DataBuffer& buffer, int offset, int count) override;
    void Close() override;
    String ToString() const override { return u"FileStream"; }

private:
    Ref<RtFileStream> stream_;
};

class c_FileInputStream final : public Object {
public:
    explicit c_FileInputStream(StringView path) : stream_(New<c_FileStream>(path, u"r")) {}
    c_FileStream& Stream() { return *stream_; }
    const Ref<c_FileStream>& StreamRef() const { return stream_; }
    String ToString() const override { return u"FileInputStream"; }

private:
    Ref<c_FileStream> stream_;
};

class c_StreamError : public ThrowableObject {
public:
    explicit c_StreamError(Ref<c_Stream> stream) : stream_(std::move(stream)) {}
    const Ref<c_Stream>& GetStream() const { return stream_; }
    String ToString() const override { return u"StreamError"; }

private:
    Ref<c_Stream> stream_;
};

class c_StreamReadError final : public c_StreamError {
public:
    using c_StreamError::c_StreamError;
    String ToString() const override { return u"StreamReadError"; }
};

// The next byte of the stream, sign-extended (-128..127). Throws
// c_StreamReadError when the stream has no more bytes.
int ReadByte(c_FileInputStream& input);

// The seed of the scrambled data files; the game sets it at start-up and it
// defaults to kScrambleSeed.
std::uint32_t& ScrambleSeed();
// Reads and unscrambles a scrambled data file. Null when the header or the
// check byte is wrong (a file too short to hold a header counts as a wrong
// header); a missing file raises "Failed to open stream".
Ref<c_DataBuffer> LoadScrambled(StringView path);
