#pragma once
// The exceptions of the library. Their messages are part of the interface: hosts show them
// to the user, so the texts (German framework texts included) are kept verbatim.

#include <cstdint>
#include <stdexcept>
#include <string>

class EKXError : public std::runtime_error {
public:
    explicit EKXError(const std::string &message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }

    // Where a file reader stopped, set by the loaders as the error passes: the byte offset of
    // the value being read (binary forms) or the line, counted from 1 (text form). -1 when
    // the error did not come from reading a file's content. The message stays as it is.
    int64_t ByteOffset = -1;
    int64_t Line = -1;
};

// Stream and file errors.
class EStreamError : public EKXError { using EKXError::EKXError; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };     // "Stream-Read-Fehler "
class EWriteError : public EStreamError { using EStreamError::EStreamError; };    // "Stream-Write-Fehler "
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };    // "Kann Datei %s nicht öffnen"
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };  // "Kann Datei %s nicht erstellen"
class EInOutError : public EKXError { using EKXError::EKXError; };               // text-file errors

// Conversion and property errors.
class EConvertError : public EKXError { using EKXError::EKXError; };      // "'%s' ist kein gültiger Integerwert"
class EPropertyError : public EKXError { using EKXError::EKXError; };     // "Ungültiger Wert der Eigenschaft"
class EListError : public EKXError { using EKXError::EKXError; };         // "Ungültiger Index"
class EInvalidCast : public EKXError { using EKXError::EKXError; };       // "Ungültige Typumwandlung"
class EAbstractError : public EKXError { using EKXError::EKXError; };     // "Abstrakter Fehler"

// Floating-point errors: division by zero and invalid operations.
class EMathError : public EKXError { using EKXError::EKXError; };
class EZeroDivide : public EMathError { using EMathError::EMathError; };  // "Gleitkommadivision durch Null"
class EInvalidOp : public EMathError { using EMathError::EMathError; };   // "Ungültige Gleitkommaoperation"

// The library's own failures ("Invalid File Format", "Class not registered: " ...).
class EKXDiagramError : public EKXError { using EKXError::EKXError; };

namespace KXMessages {
inline constexpr const char *ReadError = "Stream-Read-Fehler ";
inline constexpr const char *WriteError = "Stream-Write-Fehler ";
inline constexpr const char *FOpenError = "Kann Datei %s nicht öffnen";
inline constexpr const char *FCreateError = "Kann Datei %s nicht erstellen";
inline constexpr const char *InvalidInteger = "'%s' ist kein gültiger Integerwert";
inline constexpr const char *InvalidPropertyValue = "Ungültiger Wert der Eigenschaft";
inline constexpr const char *ListIndexError = "Ungültiger Index";
inline constexpr const char *InvalidCast = "Ungültige Typumwandlung";
inline constexpr const char *AbstractError = "Abstrakter Fehler";
inline constexpr const char *ZeroDivide = "Gleitkommadivision durch Null";
inline constexpr const char *InvalidOp = "Ungültige Gleitkommaoperation";
inline constexpr const char *FileNotFound = "Datei nicht gefunden";
inline constexpr const char *InvalidNumericInput = "Ungültige numerische Eingabe";
inline constexpr const char *InvalidFileName = "Ungültiger Dateiname";
inline constexpr const char *TooManyOpenFiles = "Zu viele geöffnete Dateien";
inline constexpr const char *FileAccessDenied = "Dateizugriff verweigert";
inline constexpr const char *DiskFull = "Zu wenig Speicherplatz";
inline constexpr const char *InOutError = "E/A-Fehler %s";   // the runtime's error number
inline constexpr const char *ReadBeyondEndOfFile = "Lesen über Dateiende hinaus";
inline constexpr const char *InvalidFileFormat = "Invalid File Format";
inline constexpr const char *InvalidFileFormatPrefix = "Invalid file format: ";
inline constexpr const char *ClassNotRegistered = "Class not registered: ";
inline constexpr const char *ClassAlreadyRegistered = "Class already registered: ";
inline constexpr const char *VertexIdNotFound = "Vertex Id not found";

// Replaces the single "%s" of a message pattern.
std::string Format(const char *pattern, const std::string &arg);
}
