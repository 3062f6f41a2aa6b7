// The UI library's reader of skin markup. The whole document is one UTF-16
// buffer that is parsed in place: names, attribute values and element text
// stay where they are and are ended by 0 characters written into the buffer,
// and a flat array of small records links the elements into a tree. It reads
// what skins need: elements, double-quoted attributes, text, the five
// predefined entities, comments and processing instructions (skipped).
#pragma once

#include <cstdint>
#include <vector>

namespace TavikUI {

class CSkinXml;

// Byte encodings accepted by CSkinXml::LoadFromMemory and LoadFromFile.
enum SkinEncoding : int {
    SKIN_ENCODING_UTF8 = 0,
    SKIN_ENCODING_UTF16 = 1,  // with a byte-order mark, either byte order
    SKIN_ENCODING_ANSI = 2,   // the system ANSI code page
};

// A light handle on one element: the document and the element's index, with
// the element's attributes listed on first use.
class CSkinXmlNode {
public:
    static constexpr int kMaxAttributes = 64;

    CSkinXmlNode();
    CSkinXmlNode(const CSkinXml* document, int element);

    bool IsValid() const { return document_ != nullptr; }
    // The element's name in the document text; null for an invalid node.
    const wchar_t* Name() const;
    CSkinXmlNode FirstChild() const;
    CSkinXmlNode NextSibling() const;
    bool HasChildren() const;

    int AttributeCount() const;
    bool HasAttributes() const;
    // "" for an index out of range; null for an invalid node.
    const wchar_t* AttributeName(int index) const;
    const wchar_t* AttributeValue(int index) const;
    // Copies the value of the first attribute of that name (case-sensitive)
    // into the buffer: at most maxChars characters, and a 0 after them, so
    // the buffer holds maxChars + 1 characters. False when absent.
    bool GetAttributeValue(const wchar_t* name, wchar_t* buffer, int maxChars) const;

private:
    struct AttributePosition {
        int32_t name;
        int32_t value;
    };

    void ScanAttributes() const;
    // The name or the value of one attribute, by the position's part.
    const wchar_t* AttributeText(int index, int32_t AttributePosition::*part) const;

    int32_t element_;
    mutable int32_t attributeCount_;  // 0 until scanned
    mutable AttributePosition attributes_[kMaxAttributes];
    const CSkinXml* document_;
};

class CSkinXml {
public:
    static constexpr int kErrorMessageUnits = 100;
    static constexpr int kErrorLocationUnits = 50;
    // Largest skin file read, in bytes.
    static constexpr uint32_t kMaxFileBytes = 4194304;

    explicit CSkinXml(const wchar_t* text = nullptr);
    CSkinXml(const CSkinXml&) = delete;
    CSkinXml& operator=(const CSkinXml&) = delete;
    ~CSkinXml();

    // Parses a copy of the text.
    bool LoadFromString(const wchar_t* text);
    // Decodes the bytes (SkinEncoding) and parses them.
    bool LoadFromMemory(const void* bytes, uint32_t byteCount, int encoding);
    // Reads the file from the resource folder, or from the skin archive when
    // one is set, and parses it.
    bool LoadFromFile(const wchar_t* fileName, int encoding);
    void Release();

    // Element 1 when the document has any element, else an invalid node.
    CSkinXmlNode Root() const;

    // Stores the error of a failed load and answers false.
    bool SetError(const wchar_t* message, const wchar_t* location);
    const wchar_t* ErrorMessage() const { return errorMessage_; }
    // The start of the text where parsing stopped.
    const wchar_t* ErrorLocation() const { return errorLocation_; }

    // When off, a space in text or an attribute value swallows the
    // whitespace after it. On at construction.
    void SetPreserveWhitespace(bool preserve) { preserveWhitespace_ = preserve; }

private:
    friend class CSkinXmlNode;
    class Parser;

    // Element record; index 0 is a placeholder so that 0 means "none".
    struct Element {
        int32_t name;  // characters from the start of the text
        int32_t child;
        int32_t sibling;
        int32_t parent;
        int32_t value;  // the element's text; its attributes lie before it
    };

    // Read the bytes of a skin file; on failure they set the error.
    bool ReadSkinFile(const wchar_t* fileName, std::vector<uint8_t>& bytes);
    bool ReadSkinArchiveItem(const wchar_t* fileName, std::vector<uint8_t>& bytes);
    // Parses the text now owned by the document; frees everything on failure.
    bool ParseOwnedText();
    // Index of a new element record, or 0 when the array cannot grow.
    int32_t AddElement();

    wchar_t* text_;
    Element* elements_;
    int32_t elementCount_;
    int32_t elementCapacity_;
    wchar_t errorMessage_[kErrorMessageUnits];
    wchar_t errorLocation_[kErrorLocationUnits];
    bool preserveWhitespace_;
};

}  // namespace TavikUI
