// The configuration side's XML reader and editor. It keeps the whole document
// as one UTF-16 text and describes its elements by a flat array of fixed-size
// records holding offsets into that text; values are copied out only when a
// caller asks for them. Editing an attribute rewrites the text in place and
// moves the offsets of every later record. Files are read and written as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CXmlDocument {
public:
    // One element of the document. Record 0 is the document node; its first
    // child is the root element.
    struct ElementRecord {
        int32_t start;        // offset of the element's '<'
        int32_t length;       // start tag to end tag; start tag alone when it has none
        uint32_t tagLengths;  // low 22 bits: start tag, high 10 bits: end tag
        uint32_t flags;       // low 16 bits: nesting level, plus the flags below
        int32_t parent;
        int32_t firstChild;       // 0 = none
        int32_t nextSibling;      // 0 = last
        int32_t previousSibling;  // the first child's previous is the last child
    };

    static constexpr uint32_t kLevelMask = 0xFFFF;
    static constexpr uint32_t kFirstChild = 0x80000;
    static constexpr uint32_t kClosedImplicitly = 0x100000;
    static constexpr uint32_t kChildNotEnded = 0x200000;
    static constexpr uint32_t kNotWellFormed = 0x800000;  // record 0 only

    CXmlDocument();
    ~CXmlDocument();
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    // Reads the file (UTF-8) and parses it.
    bool Load(const std::wstring& path);
    // Parses the text set with SetText (or loaded before).
    bool Parse();
    // Replaces the text; the records are dropped until the next Parse.
    void SetText(const std::wstring& text);
    const std::wstring& Text() const;
    // The text of the last file read or write and of the first parse error.
    const std::wstring& Result() const;

    static bool ReadUtf8File(const std::wstring& path, std::wstring& text, std::wstring& result, int& flags);
    static bool WriteUtf8File(const std::wstring& path, const std::wstring& text, std::wstring& result, int& flags);
    // Makes the file hold the text as UTF-8. A file that already holds
    // exactly those bytes is left as it is (nothing is written: a folder no
    // one may write into keeps working). Otherwise the bytes go whole to a
    // new file beside it, which is then renamed over it: a reader of the old
    // file reads it whole, a reader after the rename the new one. False with
    // the reason in `result` when it cannot be written; the old file stays.
    static bool ReplaceUtf8File(const std::wstring& path, const std::wstring& text, std::wstring& result);

    // Navigation among the children of the current parent element.
    bool FindNextElement(const wchar_t* name = nullptr);
    bool EnterElement();
    std::wstring GetAttributeValue(const wchar_t* name) const;
    std::wstring GetRecordAttribute(int32_t record, const wchar_t* name) const;
    bool SetAttributeValue(const wchar_t* name, const std::wstring& value);

    // Read access to the records, for callers that keep record indexes.
    int32_t CurrentRecord() const { return current_; }
    int32_t RecordCount() const { return recordsUsed_; }
    bool GetRecord(int32_t record, ElementRecord& out) const;

private:
    class TreeBuilder;
    struct SavedPosition {
        std::wstring name;
        int32_t parent;
        int32_t current;
        int32_t child;
    };
    static constexpr int32_t kPageShift = 16;
    static constexpr int32_t kPageSize = 1 << kPageShift;
    static constexpr uint32_t kCompareNoCase = 8;

    ElementRecord& Record(int32_t index);
    const ElementRecord& Record(int32_t index) const;
    void ReserveRecords(int32_t wanted);
    void GrowRecordsOneStep(int32_t wanted);
    int32_t NewRecord();
    void ClearNavigation();
    bool IgnoresCase() const { return (documentFlags_ & kCompareNoCase) != 0; }
    bool IsElementRecord(int32_t record) const;
    bool RecordNameMatches(int32_t record, const wchar_t* wanted) const;
    void MoveOffsetsAfterEdit(int32_t record, int32_t delta);

    std::wstring text_;
    std::wstring result_;
    int32_t parent_ = 0;
    int32_t current_ = 0;
    int32_t child_ = 0;
    int32_t recordsUsed_ = 0;
    int32_t nodeKind_ = 0;
    int32_t nodeOffset_ = 0;
    int32_t nodeLength_ = 0;
    uint32_t documentFlags_ = 0;
    // Seven named positions; no operation creates the table yet, Parse drops it.
    std::unique_ptr<SavedPosition[]> savedPositions_;
    // Pages of kPageSize records; only the last page may be smaller.
    std::vector<std::unique_ptr<ElementRecord[]>> pages_;
    int32_t recordsAllocated_ = 0;
};
