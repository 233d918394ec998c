// Byte streams: the abstract stream, an in-memory stream, a file stream and
// a stream that replaces a file only when its writing has succeeded. Only
// what loading and saving texts needs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxFileDescriptor.h"
#include "platform/base/vxBase.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"

VX_DECLARE_EXCEPTION(EStreamError, Exception);
// Fewer bytes came than were asked for, or the system refused to read.
VX_DECLARE_EXCEPTION(EReadError, EStreamError);
// Fewer bytes went than were asked for, or the system refused to write.
VX_DECLARE_EXCEPTION(EWriteError, EStreamError);
// A file could not be opened or created; ErrorCode holds the errno value.
VX_DECLARE_EXCEPTION(EFOpenError, EOSError);
// A text file could not be opened or read line by line; ErrorCode holds the
// errno value.
VX_DECLARE_EXCEPTION(EInOutError, EOSError);

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  // Read and Write move up to Count bytes and return how many moved; 0 from
  // Read means the end.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  virtual int64_t Size() = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Position) { Seek(Position, soBeginning); }

  // As Read and Write, but fewer bytes than Count raise EReadError or
  // EWriteError.
  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  void WriteBuffer(const std::string& Bytes) { WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size())); }

  // Every byte from the position to the end.
  std::string ReadToEnd();
};

// A stream over bytes held in memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string Bytes) : FData(std::move(Bytes)) {}

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(FData.size()); }

  const std::string& DataString() const { return FData; }
  // Cuts the bytes to NewSize, or adds zero bytes up to it; a position
  // beyond the new end moves back to it. A negative size raises EStreamError.
  void SetSize(int64_t NewSize);

 private:
  std::string FData;
  int64_t FPosition = 0;
};

// A stream over an open file descriptor: its own (closed when the stream
// goes), or one a subclass gives through Handle().
class THandleStream : public TStream {
 public:
  ~THandleStream() override;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override;

 protected:
  // Takes ownership of Handle (-1 for none).
  explicit THandleStream(int Handle = -1) : FHandle(Handle) {}
  // The descriptor read and written; by default the owned one.
  virtual int Handle() const { return FHandle.Get(); }
  // Closes the owned descriptor and takes ownership of Handle instead.
  void SetHandle(int Handle) { FHandle.Reset(Handle); }

 private:
  TFileDescriptor FHandle;
};

// File open modes: one access mode, optionally or-ed with a share mode (the
// file-system layer's, platform/vxFileHandle.h, with their share locks); or:
// Creates the file for reading and writing, emptying an existing one.
constexpr uint16_t fmCreate = 0xFF00;

class TFileStream : public THandleStream {
 public:
  // Raises EFOpenError when the file cannot be opened or created.
  TFileStream(const ustring& FileName, uint16_t Mode);
};

// Writes a new file beside FileName and puts it in FileName's place only on
// Commit, so a failed save leaves the old file (or no file) and never a
// partial one. Without Commit the new file is removed when the stream goes.
// A FileName that is a symbolic link has the file it points to replaced.
class TAtomicFileStream : public THandleStream {
 public:
  // Raises EFOpenError when the new file cannot be created.
  explicit TAtomicFileStream(const ustring& FileName);
  ~TAtomicFileStream() override;

  // Flushes the new file to disk and renames it over FileName; raises
  // EWriteError when either fails (a read-only FileName is not replaced).
  void Commit();

 protected:
  // The writer's descriptor, which the writer owns.
  int Handle() const override { return FWriter.Fd(); }

 private:
  std::string FTarget;
  vxFileSystem::TAtomicFileWriter FWriter;  // owns the descriptor
  bool FCommitted = false;
};
