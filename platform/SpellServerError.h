#pragma once

#include <QString>
#include <stdexcept>

// A failing call on the spelling server, as an automation call fails: an
// error number and a description. Every member of the server's object model
// may throw it once the server has quit or its document has been closed.
class SpellServerError : public std::runtime_error
{
public:
    // The numbers the object model uses.
    static constexpr long ServerUnavailable = 462;
    static constexpr long NoDocumentOpen = 4248;
    static constexpr long ObjectDeleted = 5825;
    static constexpr long NoSuchMember = 5941;

    SpellServerError(long number, const QString &description)
        : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
    {
    }

    long number() const { return m_number; }
    QString description() const { return m_description; }

private:
    long m_number;
    QString m_description;
};
