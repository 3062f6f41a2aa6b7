// The configuration side's XML reader and editor. It keeps the whole document
// as one UTF-16 text and describes its elements by a flat array of fixed-size
// records holding offsets into that text; values are copied out only when a
// caller asks for them. Editing an attribute rewrites the text in place and
// moves the offsets of every later record. Files are read and written as UTF-8.
#pragma once

#include <cstdint>
#include <string>

class CXmlDocument {
public:
    CXmlDocument();
    ~CXmlDocument();
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    // Reads the file (UTF-8) and parses it.
    bool Load(const std::wstring& path);
    // Parses the text set with SetText (or loaded before).
    bool Parse();
    void SetText(const std::wstring& text);
    const std::wstring& Text() const;
    // The text of the last file read or write and of the first parse error.
    const std::wstring& Result() const;

    static bool ReadUtf8File(const std::wstring& path, std::wstring& text, std::wstring& result,
                             int& flags);
    static bool WriteUtf8File(const std::wstring& path, const std::wstring& text,
                              std::wstring& result, int& flags);

    // Navigation among the children of the current parent element.
    bool FindNextElement(const wchar_t* name = nullptr);
    bool EnterElement();
    std::wstring GetAttributeValue(const wchar_t* name) const;
    std::wstring GetRecordAttribute(int32_t record, const wchar_t* name) const;
    bool SetAttributeValue(const wchar_t* name, const std::wstring& value);

    // ... (the helper that builds this class completes the private part)
};
