// The error classes of form file handling: each carries one fixed message text.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace dfm {

class EFormError : public std::runtime_error {
public:
    explicit EFormError(const std::string& message) : std::runtime_error(message) {}
};

class EReadError : public EFormError {
public:
    using EFormError::EFormError;
};

class EWriteError : public EFormError {
public:
    using EFormError::EFormError;
};

class EInvalidImage : public EFormError {
public:
    using EFormError::EFormError;
};

class EConvertError : public EFormError {
public:
    using EFormError::EFormError;
};

// Carries the line separately so that callers can move the caret there.
class EParserError : public EFormError {
public:
    EParserError(const std::string& message, int line)
        : EFormError(message + " à la ligne " + std::to_string(line)), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

class EFOpenError : public EFormError {
public:
    explicit EFOpenError(const std::string& fileName)
        : EFormError("Impossible d'ouvrir le fichier " + fileName) {}
};

class EFCreateError : public EFormError {
public:
    explicit EFCreateError(const std::string& fileName)
        : EFormError("Impossible de créer le fichier " + fileName) {}
};

namespace msg {
inline constexpr const char* ReadError = "Erreur de lecture du flux";
inline constexpr const char* WriteError = "Erreur d'écriture dans le flux";
inline constexpr const char* BadStreamFormat = "Format de flux incorrect";
inline constexpr const char* BadPropertyValue = "Valeur de propriété incorrecte";
inline constexpr const char* IdentifierExpected = "Identificateur attendu";
inline constexpr const char* StringExpected = "Chaîne attendue";
inline constexpr const char* NumberExpected = "Nombre attendu";
inline constexpr const char* BadStringConstant = "Constante chaîne incorrecte";
inline constexpr const char* BadBinaryValue = "Valeur binaire incorrecte";
inline constexpr const char* LineTooLong = "Ligne trop longue";
inline std::string NotAnInteger(std::string_view text)
{
    return "'" + std::string(text) + "' n'est pas une valeur entière correcte";
}
inline std::string NotAFloat(std::string_view text)
{
    return "'" + std::string(text) + "' n'est pas une valeur en virgule flottante correcte";
}
}  // namespace msg

}  // namespace dfm
