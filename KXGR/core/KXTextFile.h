#pragma once
// Text files read and written line by line: the text form of diagram files and object records.
// Lines are byte strings (code page 1252, no conversion), written with CR LF; a bare LF also
// ends a line when reading. Every failure is an EInOutError with the runtime's message text.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

class TKXTextFile {
public:
    TKXTextFile();
    TKXTextFile(const TKXTextFile &) = delete;
    TKXTextFile &operator=(const TKXTextFile &) = delete;
    // Closes an open file without raising (buffered lines are written out as far as possible);
    // call Close() to learn whether writing succeeded.
    ~TKXTextFile();

    // Opens an existing file for reading ("Datei nicht gefunden" when it is missing).
    void Open(const std::string &fileName);
    // Creates the file, or empties an existing one, for writing. A temporary name is as good
    // as any other, so a safe save can write beside its target and rename afterwards.
    void Create(const std::string &fileName);
    // Writes out what is buffered and closes; write failures surface here at the latest.
    // Closing a file that is not open does nothing.
    void Close();
    bool IsOpen() const { return FFile != nullptr; }

    // Reading. The file must be open for reading.
    // The rest of the current line, without its line end, which is passed over. "" at the end.
    std::string ReadLine();
    // Passes over characters up to 32, then takes up to 32 characters up to the next such
    // character (left unread): an optional sign and decimal digits or "$" and hex digits.
    // Gives 0 when the file ends first. Anything else, or a decimal value outside 32 bits,
    // fails with "Ungültige numerische Eingabe". Hex values are 32-bit patterns ($FFFFFFFF = -1).
    int32_t ReadInteger();
    // Moves behind the next line end (or to the end of the file).
    void ReadLn();
    // True when nothing is left to read.
    bool Eof();
    // The line, counted from 1, on which the last ReadLine or ReadInteger found its text (the
    // line behind the last line end when the file had ended), so an error can say where the
    // data went wrong.
    int64_t LineNumber() const { return FReadLine; }

    // Writing. The file must be open for writing. Lines end with CR LF.
    void WriteLine(const std::string &line);
    // One line of integers in decimal, separated by single blanks.
    void WriteIntegers(std::initializer_list<int32_t> values);

    // Raises the EInOutError that creating or writing a text file gives for a system error
    // number, for steps of a save that lie outside the file itself.
    [[noreturn]] static void RaiseWriteError(int systemError);

private:
    enum TFileMode : uint8_t { fmClosed, fmRead, fmWrite };

    // fopen in the mode's way (the file is closed), unbuffered: the object buffers itself.
    void OpenAs(const std::string &fileName, TFileMode mode);
    bool FillBuffer();
    int PeekByte();
    void Append(const char *data, size_t count);
    void FlushBuffer();
    void RequireMode(TFileMode mode) const;

    std::FILE *FFile = nullptr;
    TFileMode FMode = fmClosed;
    std::vector<char> FBuffer;
    size_t FPos = 0;   // reading: next byte in FBuffer; writing: bytes buffered
    size_t FSize = 0;  // reading: valid bytes in FBuffer
    int64_t FLineEnds = 0;  // line ends passed while reading
    int64_t FReadLine = 1;
};
