#include "SkinXml.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "WideString.h"
#include "WindowManager.h"
#include "ZipArchive.h"

namespace TavikUI {
namespace {

bool IsWhitespace(wchar_t character) { return character != 0 && character <= 32; }

bool IsNameCharacter(wchar_t character) { return character == L'_' || character == L':' || iswalnum(character); }

// Steps over one character: a surrogate pair counts as one. Never steps past
// the terminating 0.
const wchar_t* NextChar(const wchar_t* position) {
    if (*position == 0) {
        return position;
    }
    if (IS_HIGH_SURROGATE(position[0]) && IS_LOW_SURROGATE(position[1])) {
        return position + 2;
    }
    return position + 1;
}

wchar_t* NextChar(wchar_t* position) { return const_cast<wchar_t*>(NextChar(static_cast<const wchar_t*>(position))); }

template <typename Char>
Char* SkipWhitespace(Char* position) {
    while (IsWhitespace(*position)) {
        position = NextChar(position);
    }
    return position;
}

// Past the 0 that ends a name or value in the attribute area and the
// whitespace after it, never beyond `end`; `end` when no 0 comes first.
const wchar_t* PastTerminator(const wchar_t* position, const wchar_t* end) {
    while (position < end && *position != 0) {
        ++position;
    }
    if (position >= end) {
        return end;
    }
    ++position;
    while (position < end && IsWhitespace(*position)) {
        ++position;
    }
    return position;
}

struct Entity {
    const wchar_t* text;
    size_t length;
    wchar_t character;
};

const Entity kEntities[] = {
    {L"&amp;", 5, L'&'}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'}, {L"&quot;", 6, L'"'}, {L"&apos;", 6, L'\''},
};

}  // namespace

// One pass over the document text, in place. Open elements are kept on an
// explicit stack rather than by recursion, so deep nesting in a damaged file
// cannot exhaust the thread's stack.
class CSkinXml::Parser {
public:
    explicit Parser(CSkinXml& document) : document_(document), position_(document.text_) {}

    bool Run();

private:
    struct OpenElement {
        int32_t index;
        int32_t lastChild;  // latest child, linked to the next one as its sibling
        int32_t nameLength;
    };

    int32_t Offset(const wchar_t* position) const { return static_cast<int32_t>(position - document_.text_); }
    Element& At(int32_t index) { return document_.elements_[index]; }
    int32_t CurrentParent() const { return open_.empty() ? 0 : open_.back().index; }
    bool Fail(const wchar_t* message) { return document_.SetError(message, position_); }

    bool StartElement();
    bool CloseElement();
    bool ParseAttributes();
    // Decodes entities and the whitespace rule from the read position up to
    // `stop` or the end of the text, leaving the read position on that
    // character. Answers where the decoded text ends.
    wchar_t* Decode(wchar_t stop);
    // Skips the marker after '<', then up to and past the two characters, or
    // to the end of the text.
    void SkipPast(wchar_t first, wchar_t second);
    // Success at the end of the text: open elements still need their names
    // ended.
    bool FinishAtEnd();

    CSkinXml& document_;
    wchar_t* position_;
    std::vector<OpenElement> open_;
    int32_t topLevelLast_ = 0;
};

bool CSkinXml::Parser::Run() {
    for (;;) {
        position_ = SkipWhitespace(position_);
        if (*position_ == 0) {
            // The root and its direct children may stay unclosed.
            return CurrentParent() <= 1 ? FinishAtEnd() : Fail(L"Expected start tag");
        }
        if (*position_ != L'<') {
            return Fail(L"Expected start tag");
        }
        if (position_[1] == L'/') {
            if (open_.empty()) {
                return true;  // a closing tag at the top level ends the document
            }
            if (!CloseElement()) {
                return false;
            }
            continue;
        }
        *position_++ = 0;
        if (*position_ == L'!') {
            SkipPast(L'-', L'>');
            continue;
        }
        if (*position_ == L'?') {
            SkipPast(L'?', L'>');
            continue;
        }
        if (!StartElement()) {
            return false;
        }
    }
}

bool CSkinXml::Parser::StartElement() {
    const int32_t parent = CurrentParent();
    const int32_t index = document_.AddElement();
    if (index == 0) {
        return Fail(L"");
    }
    Element& element = At(index);
    element.name = Offset(position_);
    element.parent = parent;
    int32_t& previous = open_.empty() ? topLevelLast_ : open_.back().lastChild;
    if (previous != 0) {
        At(previous).sibling = index;
    } else if (parent != 0) {
        At(parent).child = index;
    }
    previous = index;

    wchar_t* name = position_;
    while (IsNameCharacter(*position_)) {
        ++position_;
    }
    wchar_t* nameEnd = position_;
    const int32_t nameLength = static_cast<int32_t>(nameEnd - name);
    if (*position_ == 0) {
        return Fail(L"Error parsing element name");
    }
    if (!ParseAttributes()) {
        return false;
    }
    position_ = SkipWhitespace(position_);
    if (position_[0] == L'/' && position_[1] == L'>') {
        At(index).value = Offset(position_);
        *position_ = 0;
        position_ += 2;
        *nameEnd = 0;
        return true;
    }
    if (*position_ != L'>') {
        return Fail(L"Expected start-tag closing");
    }
    ++position_;
    At(index).value = Offset(position_);
    wchar_t* textEnd = Decode(L'<');
    if (textEnd != position_) {
        *textEnd = 0;  // otherwise the '<' at the read position becomes the 0
    }
    if (*position_ == 0) {
        if (parent > 1) {
            return Fail(L"Expected end-tag start");
        }
        *nameEnd = 0;
        return FinishAtEnd();
    }
    open_.push_back(OpenElement{index, 0, nameLength});
    return true;
}

bool CSkinXml::Parser::CloseElement() {
    const OpenElement element = open_.back();
    const wchar_t* name = document_.text_ + At(element.index).name;
    *position_ = 0;
    position_ = SkipWhitespace(position_ + 2);
    if (wcsncmp(position_, name, static_cast<size_t>(element.nameLength)) != 0) {
        return Fail(L"Unmatched closing tag");
    }
    position_ = SkipWhitespace(position_ + element.nameLength);
    if (*position_ != L'>') {
        return Fail(L"Unmatched closing tag");
    }
    ++position_;
    document_.text_[At(element.index).name + element.nameLength] = 0;
    open_.pop_back();
    return true;
}

bool CSkinXml::Parser::ParseAttributes() {
    if (*position_ == L'>') {
        return true;
    }
    if (IsWhitespace(*position_)) {
        *position_++ = 0;
    }
    for (;;) {
        position_ = SkipWhitespace(position_);
        if (*position_ == 0 || *position_ == L'>' || *position_ == L'/') {
            return true;
        }
        wchar_t* nameEnd = position_;
        while (IsNameCharacter(*nameEnd)) {
            ++nameEnd;
        }
        position_ = SkipWhitespace(nameEnd);
        if (*position_ != L'=') {
            return Fail(L"Error while parsing attributes");
        }
        *position_++ = L' ';
        *nameEnd = 0;
        position_ = SkipWhitespace(position_);
        if (*position_ != L'"') {
            return Fail(L"Expected attribute value");
        }
        ++position_;
        wchar_t* valueEnd = Decode(L'"');
        if (*position_ == 0) {
            return Fail(L"Error while parsing attribute string");
        }
        // The value ends in a 0; what decoding freed up to and including the
        // closing quote becomes spaces, which the attribute scan skips.
        *valueEnd = 0;
        for (wchar_t* freed = valueEnd + 1; freed <= position_; ++freed) {
            *freed = L' ';
        }
        ++position_;
    }
}

wchar_t* CSkinXml::Parser::Decode(wchar_t stop) {
    wchar_t* write = position_;
    while (*position_ != 0 && *position_ != stop) {
        if (*position_ == L'&') {
            const Entity* found = nullptr;
            for (const Entity& entity : kEntities) {
                if (wcsncmp(position_, entity.text, entity.length) == 0) {
                    found = &entity;
                    break;
                }
            }
            if (found) {
                *write++ = found->character;
                position_ += found->length;
            } else {
                *write++ = *position_++;
            }
            continue;
        }
        if (*position_ == L' ') {
            *write++ = *position_++;
            if (!document_.preserveWhitespace_) {
                position_ = SkipWhitespace(position_);
            }
            continue;
        }
        for (const wchar_t* next = NextChar(position_); position_ != next;) {
            *write++ = *position_++;
        }
    }
    return write;
}

void CSkinXml::Parser::SkipPast(wchar_t first, wchar_t second) {
    ++position_;  // the '!' or '?' after the '<'
    while (*position_ != 0 && !(position_[0] == first && position_[1] == second)) {
        ++position_;
    }
    if (*position_ != 0) {
        position_ += 2;
    }
}

bool CSkinXml::Parser::FinishAtEnd() {
    for (const OpenElement& element : open_) {
        document_.text_[At(element.index).name + element.nameLength] = 0;
    }
    open_.clear();
    return true;
}

CSkinXmlNode::CSkinXmlNode() : element_(0), attributeCount_(0), attributes_(), document_(nullptr) {}

CSkinXmlNode::CSkinXmlNode(const CSkinXml* document, int element)
    : element_(element), attributeCount_(0), attributes_(), document_(document) {}

const wchar_t* CSkinXmlNode::Name() const {
    return document_ ? document_->text_ + document_->elements_[element_].name : nullptr;
}

CSkinXmlNode CSkinXmlNode::FirstChild() const {
    if (!document_ || document_->elements_[element_].child == 0) {
        return CSkinXmlNode();
    }
    return CSkinXmlNode(document_, document_->elements_[element_].child);
}

CSkinXmlNode CSkinXmlNode::NextSibling() const {
    if (!document_ || document_->elements_[element_].sibling == 0) {
        return CSkinXmlNode();
    }
    return CSkinXmlNode(document_, document_->elements_[element_].sibling);
}

bool CSkinXmlNode::HasChildren() const { return document_ && document_->elements_[element_].child != 0; }

int CSkinXmlNode::AttributeCount() const {
    ScanAttributes();
    return attributeCount_;
}

bool CSkinXmlNode::HasAttributes() const { return AttributeCount() > 0; }

const wchar_t* CSkinXmlNode::AttributeText(int index, int32_t AttributePosition::*part) const {
    if (!document_) {
        return nullptr;
    }
    ScanAttributes();
    if (index < 0 || index >= attributeCount_) {
        return L"";
    }
    return document_->text_ + attributes_[index].*part;
}

const wchar_t* CSkinXmlNode::AttributeName(int index) const { return AttributeText(index, &AttributePosition::name); }

const wchar_t* CSkinXmlNode::AttributeValue(int index) const { return AttributeText(index, &AttributePosition::value); }

bool CSkinXmlNode::GetAttributeValue(const wchar_t* name, wchar_t* buffer, int maxChars) const {
    if (!document_ || !name || !buffer || maxChars < 0) {
        return false;
    }
    ScanAttributes();
    for (int i = 0; i < attributeCount_; ++i) {
        if (wcscmp(document_->text_ + attributes_[i].name, name) == 0) {
            wcsncpy(buffer, document_->text_ + attributes_[i].value, static_cast<size_t>(maxChars));
            buffer[maxChars] = 0;
            return true;
        }
    }
    return false;
}

void CSkinXmlNode::ScanAttributes() const {
    if (!document_ || attributeCount_ > 0) {
        return;
    }
    // The attribute area runs from the element's name to its text; each
    // name and value in it ends in a 0 written by the parser. Every step is
    // bounded by the start of the text.
    const wchar_t* text = document_->text_;
    const CSkinXml::Element& element = document_->elements_[element_];
    const wchar_t* end = text + element.value;
    const wchar_t* position = text + element.name;
    while (attributeCount_ < kMaxAttributes) {
        // Past the element's name or the previous value.
        position = PastTerminator(position, end);
        if (position >= end) {
            return;
        }
        const wchar_t* name = position;
        position = PastTerminator(position, end);
        if (position >= end || *position != L'"') {
            return;
        }
        ++position;
        attributes_[attributeCount_].name = static_cast<int32_t>(name - text);
        attributes_[attributeCount_].value = static_cast<int32_t>(position - text);
        ++attributeCount_;
    }
}

CSkinXml::CSkinXml(const wchar_t* text)
    : text_(nullptr),
      elements_(nullptr),
      elementCount_(0),
      elementCapacity_(0),
      errorMessage_(),
      errorLocation_(),
      preserveWhitespace_(true) {
    if (text) {
        LoadFromString(text);
    }
}

CSkinXml::~CSkinXml() { Release(); }

void CSkinXml::Release() {
    free(text_);
    text_ = nullptr;
    free(elements_);
    elements_ = nullptr;
    elementCount_ = 0;
    elementCapacity_ = 0;
}

CSkinXmlNode CSkinXml::Root() const { return elementCount_ > 1 ? CSkinXmlNode(this, 1) : CSkinXmlNode(); }

bool CSkinXml::SetError(const wchar_t* message, const wchar_t* location) {
    wcsncpy(errorMessage_, message ? message : L"", kErrorMessageUnits - 1);
    errorMessage_[kErrorMessageUnits - 1] = 0;
    wcsncpy(errorLocation_, location ? location : L"", kErrorLocationUnits - 1);
    errorLocation_[kErrorLocationUnits - 1] = 0;
    return false;
}

int32_t CSkinXml::AddElement() {
    if (elementCount_ == elementCapacity_) {
        const int64_t capacity = static_cast<int64_t>(elementCapacity_) + elementCapacity_ / 2 + 500;
        if (capacity > INT32_MAX / static_cast<int64_t>(sizeof(Element))) {
            return 0;
        }
        void* grown = realloc(elements_, static_cast<size_t>(capacity) * sizeof(Element));
        if (!grown) {
            return 0;
        }
        elements_ = static_cast<Element*>(grown);
        elementCapacity_ = static_cast<int32_t>(capacity);
    }
    elements_[elementCount_] = Element{0, 0, 0, 0, 0};
    return elementCount_++;
}

bool CSkinXml::ParseOwnedText() {
    errorMessage_[0] = 0;
    errorLocation_[0] = 0;
    // Element 0 is the placeholder, so that index 0 means "none".
    if (AddElement() != 0) {
        Release();
        return false;
    }
    if (!Parser(*this).Run()) {
        Release();
        return false;
    }
    return true;
}

bool CSkinXml::LoadFromString(const wchar_t* text) {
    Release();
    if (!text) {
        text = L"";
    }
    const size_t units = wcslen(text) + 1;
    text_ = static_cast<wchar_t*>(malloc(units * sizeof(wchar_t)));
    if (!text_) {
        return false;
    }
    wmemcpy(text_, text, units);
    return ParseOwnedText();
}

bool CSkinXml::LoadFromMemory(const void* bytes, uint32_t byteCount, int encoding) {
    Release();
    const auto* data = static_cast<const uint8_t*>(bytes);
    if (!data && byteCount > 0) {
        return false;
    }
    if (encoding == SKIN_ENCODING_UTF8 || encoding == SKIN_ENCODING_ANSI) {
        if (encoding == SKIN_ENCODING_UTF8 && byteCount > 2 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
            data += 3;
            byteCount -= 3;
        }
        if (byteCount > static_cast<uint32_t>(INT32_MAX - 1)) {
            return false;
        }
        text_ = static_cast<wchar_t*>(malloc((static_cast<size_t>(byteCount) + 1) * sizeof(wchar_t)));
        if (!text_) {
            return false;
        }
        int units = 0;
        if (byteCount > 0) {
            units = MultiByteToWideChar(encoding == SKIN_ENCODING_UTF8 ? CP_UTF8 : CP_ACP, 0,
                                        reinterpret_cast<const char*>(data), static_cast<int>(byteCount), text_,
                                        static_cast<int>(byteCount));
        }
        text_[units] = 0;
        return ParseOwnedText();
    }
    if (encoding == SKIN_ENCODING_UTF16) {
        if (byteCount < 2) {
            return false;
        }
        const bool littleEndian = data[0] == 0xFF && data[1] == 0xFE;
        const bool bigEndian = data[0] == 0xFE && data[1] == 0xFF;
        if (!littleEndian && !bigEndian) {
            return false;
        }
        const size_t units = byteCount / 2 - 1;
        text_ = static_cast<wchar_t*>(malloc((units + 1) * sizeof(wchar_t)));
        if (!text_) {
            return false;
        }
        for (size_t i = 0; i < units; ++i) {
            const uint8_t first = data[2 + 2 * i];
            const uint8_t second = data[3 + 2 * i];
            text_[i] = littleEndian ? static_cast<wchar_t>(first | (second << 8))
                                    : static_cast<wchar_t>((first << 8) | second);
        }
        text_[units] = 0;
        return ParseOwnedText();
    }
    return false;
}

bool CSkinXml::ReadSkinFile(const wchar_t* fileName, std::vector<uint8_t>& bytes) {
    const CWideString path = CWindowManager::ResourceFolder().ConcatText(fileName);
    HANDLE file =
        CreateFileW(path.Text(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return SetError(L"Error opening file", nullptr);
    }
    DWORD sizeHigh = 0;
    const DWORD size = GetFileSize(file, &sizeHigh);
    bool read = false;
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        SetError(L"Could not read file", nullptr);
    } else if (size == 0 && sizeHigh == 0) {
        SetError(L"File is empty", nullptr);
    } else if (sizeHigh != 0 || size > kMaxFileBytes) {
        SetError(L"File too large", nullptr);
    } else {
        bytes.resize(size);
        DWORD got = 0;
        if (!ReadFile(file, bytes.data(), size, &got, nullptr) || got < size) {
            SetError(L"Could not read file", nullptr);
        } else {
            read = true;
        }
    }
    CloseHandle(file);
    return read;
}

bool CSkinXml::ReadSkinArchiveItem(const wchar_t* fileName, std::vector<uint8_t>& bytes) {
    const bool cached = CWindowManager::SkinArchiveCached();
    HZIPARCHIVE archive = nullptr;
    if (cached) {
        archive = CWindowManager::CachedSkinArchive();
    } else {
        const CWideString path = CWindowManager::ResourceFolder().ConcatText(CWindowManager::SkinArchiveName().Text());
        archive = ZipArchiveOpen(path.Text(), 0, ZIP_KIND_FILE);
    }
    if (!archive) {
        return SetError(L"Error opening zip file", nullptr);
    }
    bool read = false;
    int32_t index = -1;
    ZipArchiveEntry entry = {};
    if (ZipArchiveFindItem(archive, fileName, true, &index, &entry) != ZIP_OK) {
        SetError(L"Could not find ziped file", nullptr);
    } else if (entry.uncompressedSize == 0) {
        SetError(L"File is empty", nullptr);
    } else if (entry.uncompressedSize > kMaxFileBytes) {
        SetError(L"File too large", nullptr);
    } else {
        bytes.resize(entry.uncompressedSize);
        const ZipResult result =
            ZipArchiveExtractItem(archive, index, bytes.data(), entry.uncompressedSize, ZIP_KIND_MEMORY);
        if (result == ZIP_OK || result == ZIP_MORE_DATA) {
            read = true;
        } else {
            SetError(L"Could not unzip file", nullptr);
        }
    }
    if (!cached) {
        ZipArchiveClose(archive);
    }
    return read;
}

bool CSkinXml::LoadFromFile(const wchar_t* fileName, int encoding) {
    Release();
    if (!fileName) {
        fileName = L"";
    }
    std::vector<uint8_t> bytes;
    const bool read = CWindowManager::SkinArchiveName().IsEmpty() ? ReadSkinFile(fileName, bytes)
                                                                  : ReadSkinArchiveItem(fileName, bytes);
    if (!read) {
        return false;
    }
    return LoadFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()), encoding);
}

}  // namespace TavikUI
