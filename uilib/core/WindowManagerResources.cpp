// The manager's per-window resources: fonts, the image cache, default
// attributes, option groups and the registries other parts hook into.
#include <cwchar>

#include "ControlUI.h"
#include "GdiRenderer.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

bool RecordMatches(const FontRecord& record, const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    return record.faceName.Equals(face) && record.size == size && record.bold == bold &&
           record.underline == underline && record.italic == italic;
}

bool RemoveFirst(CPointerArray& list, const void* item) {
    const int index = list.IndexOf(item);
    return index >= 0 && list.RemoveAt(index);
}

void MoveRegistration(void* entry, CPointerArray* from, CPointerArray* to) {
    if (from) {
        RemoveFirst(*from, entry);
    }
    if (to) {
        to->Append(entry);
    }
}

}  // namespace

// --- Fonts ---------------------------------------------------------------------

HFONT CWindowManager::CreateManagerFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) const {
    LOGFONTW logFont = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
    // The face field holds LF_FACESIZE units including the terminator: a
    // longer name is cut, never left unterminated.
    wcsncpy(logFont.lfFaceName, face ? face : L"", LF_FACESIZE - 1);
    logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfHeight = -size;
    if (bold) {
        logFont.lfWeight += FW_BOLD;
    }
    logFont.lfUnderline = underline ? TRUE : FALSE;
    logFont.lfItalic = italic ? TRUE : FALSE;
    return CreateFontIndirectW(&logFont);
}

// Metrics need a DC: the window's when bound, else a screen-compatible one.
void CWindowManager::MeasureFont(FontRecord& record) {
    HDC dc = paintDC_;
    HDC ownDC = nullptr;
    if (!dc) {
        ownDC = CreateCompatibleDC(nullptr);
        dc = ownDC;
    }
    if (!dc) {
        return;
    }
    HGDIOBJ old = SelectObject(dc, record.font);
    GetTextMetricsW(dc, &record.metrics);
    SelectObject(dc, old);
    if (ownDC) {
        DeleteDC(ownDC);
    }
}

void CWindowManager::SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    HFONT font = CreateManagerFont(face, size, bold, underline, italic);
    if (!font) {
        return;
    }
    if (defaultFont_.font) {
        DeleteObject(defaultFont_.font);
    }
    defaultFont_.font = font;
    defaultFont_.faceName.AssignText(face);
    defaultFont_.size = size;
    defaultFont_.bold = bold;
    defaultFont_.underline = underline;
    defaultFont_.italic = italic;
    defaultFont_.metrics = TEXTMETRICW{};
    if (paintDC_) {
        MeasureFont(defaultFont_);
    }
}

HFONT CWindowManager::AddFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    HFONT font = CreateManagerFont(face, size, bold, underline, italic);
    if (!font) {
        return nullptr;
    }
    auto* record = new FontRecord;
    record->font = font;
    record->faceName.AssignText(face);
    record->size = size;
    record->bold = bold;
    record->underline = underline;
    record->italic = italic;
    if (paintDC_) {
        MeasureFont(*record);
    }
    if (!fonts_.Append(record)) {
        DeleteObject(font);
        delete record;
        return nullptr;
    }
    return font;
}

HFONT CWindowManager::FontAt(int index) {
    auto* record = static_cast<FontRecord*>(fonts_.At(index));
    return record ? record->font : DefaultFontRecord()->font;
}

FontRecord* CWindowManager::FontRecordAt(int index) {
    auto* record = static_cast<FontRecord*>(fonts_.At(index));
    if (!record) {
        return DefaultFontRecord();
    }
    if (record->metrics.tmHeight == 0) {
        MeasureFont(*record);
    }
    return record;
}

FontRecord* CWindowManager::DefaultFontRecord() {
    // The root manager is ours: RootManager is const only to serve the
    // const colour getters.
    auto* root = const_cast<CWindowManager*>(RootManager());
    if (root->defaultFont_.metrics.tmHeight == 0) {
        root->MeasureFont(root->defaultFont_);
    }
    return &root->defaultFont_;
}

HFONT CWindowManager::FindFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) const {
    for (const CWindowManager* manager = this; manager; manager = manager->parentManager_) {
        for (int i = 0; i < manager->fonts_.Count(); ++i) {
            auto* record = static_cast<FontRecord*>(manager->fonts_.AtUnchecked(i));
            if (RecordMatches(*record, face, size, bold, underline, italic)) {
                return record->font;
            }
        }
    }
    return nullptr;
}

FontRecord* CWindowManager::FontRecordOf(HFONT font) {
    for (CWindowManager* manager = this; manager; manager = manager->parentManager_) {
        for (int i = 0; i < manager->fonts_.Count(); ++i) {
            auto* record = static_cast<FontRecord*>(manager->fonts_.AtUnchecked(i));
            if (record->font == font) {
                if (record->metrics.tmHeight == 0) {
                    manager->MeasureFont(*record);
                }
                return record;
            }
        }
    }
    return DefaultFontRecord();
}

// --- Images --------------------------------------------------------------------

ImageRecord* CWindowManager::ImageOrAdd(const wchar_t* name, const wchar_t* resourceType, uint32_t maskColor) {
    if (!name) {
        return nullptr;
    }
    auto* record = static_cast<ImageRecord*>(images_.Find(name));
    return record ? record : LoadAndCacheImage(name, resourceType, maskColor);
}

ImageRecord* CWindowManager::LoadAndCacheImage(const wchar_t* name, const wchar_t* resourceType, uint32_t maskColor) {
    if (!name) {
        return nullptr;
    }
    const bool fromResource = resourceType && resourceType[0];
    // A resource image is named by its decimal id.
    if (fromResource && !(name[0] >= L'0' && name[0] <= L'9')) {
        return nullptr;
    }
    ImageRecord* record = CGdiRenderer::DecodeImage(name, fromResource ? resourceType : nullptr, maskColor);
    if (!record) {
        return nullptr;
    }
    record->resourceType.AssignText(fromResource ? resourceType : L"");
    record->maskColor = maskColor;
    if (!images_.Insert(name, record)) {
        CGdiRenderer::ReleaseImage(record);
        return nullptr;
    }
    return record;
}

// --- Default attributes --------------------------------------------------------

void CWindowManager::SetDefaultAttributes(const wchar_t* tag, const wchar_t* attributes) {
    if (!tag || defaultAttributes_.Find(tag)) {
        return;
    }
    auto* text = new CWideString(attributes);
    if (!defaultAttributes_.Insert(tag, text)) {
        delete text;
    }
}

const wchar_t* CWindowManager::DefaultAttributesFor(const wchar_t* tag) const {
    if (!tag) {
        return nullptr;
    }
    for (const CWindowManager* manager = this; manager; manager = manager->parentManager_) {
        // A lookup that does not reorder its chain leaves the map unchanged.
        auto& attributes = const_cast<CStringHashMap&>(manager->defaultAttributes_);
        auto* text = static_cast<CWideString*>(attributes.Find(tag, false));
        if (text) {
            return text->Text();
        }
    }
    return nullptr;
}

// --- Option groups -------------------------------------------------------------

bool CWindowManager::AddOptionToGroup(const wchar_t* group, CControlUI* option) {
    if (!group) {
        return false;
    }
    auto* members = static_cast<CPointerArray*>(optionGroups_.Find(group));
    if (members) {
        return members->IndexOf(option) < 0 && members->Append(option);
    }
    members = new CPointerArray(6);
    if (!members->Append(option) || !optionGroups_.Insert(group, members)) {
        delete members;
        return false;
    }
    return true;
}

void CWindowManager::RemoveOptionFromGroup(const wchar_t* group, CControlUI* option) {
    if (!group) {
        return;
    }
    auto* members = static_cast<CPointerArray*>(optionGroups_.Find(group));
    if (!members) {
        return;
    }
    RemoveFirst(*members, option);
    if (members->IsEmpty()) {
        optionGroups_.Remove(group);
        delete members;
    }
}

CPointerArray* CWindowManager::OptionGroup(const wchar_t* group) {
    return group ? static_cast<CPointerArray*>(optionGroups_.Find(group)) : nullptr;
}

// --- Registries ----------------------------------------------------------------

bool CWindowManager::RegisterNotifyReceiver(INotifyUI* receiver) { return notifyReceivers_.Append(receiver); }

bool CWindowManager::UnregisterNotifyReceiver(INotifyUI* receiver) { return RemoveFirst(notifyReceivers_, receiver); }

bool CWindowManager::RegisterPreTranslateFilter(IMessageFilterUI* filter) {
    return preTranslateFilters_.Append(filter);
}

bool CWindowManager::UnregisterPreTranslateFilter(IMessageFilterUI* filter) {
    return RemoveFirst(preTranslateFilters_, filter);
}

bool CWindowManager::RegisterMessageFilter(IMessageFilterUI* filter) { return messageFilters_.Append(filter); }

bool CWindowManager::UnregisterMessageFilter(IMessageFilterUI* filter) { return RemoveFirst(messageFilters_, filter); }

bool CWindowManager::RegisterPostPaintControl(CControlUI* control) { return postPaintControls_.Append(control); }

bool CWindowManager::UnregisterPostPaintControl(CControlUI* control) {
    return RemoveFirst(postPaintControls_, control);
}

bool CWindowManager::RegisterAcceleratorTranslator(ITranslateAccelerator* translator) {
    return acceleratorTranslators_.Append(translator);
}

bool CWindowManager::UnregisterAcceleratorTranslator(ITranslateAccelerator* translator) {
    return RemoveFirst(acceleratorTranslators_, translator);
}

void CWindowManager::MoveMessageFilter(IMessageFilterUI* filter, CWindowManager* from, CWindowManager* to,
                                       bool active) {
    if (from != to) {
        MoveRegistration(filter, from ? &from->messageFilters_ : nullptr,
                         to && active ? &to->messageFilters_ : nullptr);
    }
}

void CWindowManager::MoveAcceleratorTranslator(ITranslateAccelerator* translator, CWindowManager* from,
                                               CWindowManager* to, bool active) {
    if (from != to) {
        MoveRegistration(translator, from ? &from->acceleratorTranslators_ : nullptr,
                         to && active ? &to->acceleratorTranslators_ : nullptr);
    }
}

bool CWindowManager::TranslateAccelerators(MSG* message) {
    for (int i = 0; i < acceleratorTranslators_.Count(); ++i) {
        auto* translator = static_cast<ITranslateAccelerator*>(acceleratorTranslators_.AtUnchecked(i));
        if (translator->TranslateAcceleratorMessage(message) == S_OK) {
            return true;
        }
    }
    return false;
}

// --- Freeing -------------------------------------------------------------------

// Fonts, images, default attributes and option groups, at destruction.
void CWindowManager::FreeResources() {
    if (defaultFont_.font) {
        DeleteObject(defaultFont_.font);
        defaultFont_.font = nullptr;
    }
    for (int i = 0; i < fonts_.Count(); ++i) {
        auto* record = static_cast<FontRecord*>(fonts_.AtUnchecked(i));
        DeleteObject(record->font);
        delete record;
    }
    fonts_.Clear();
    for (int i = 0; i < images_.Count(); ++i) {
        const wchar_t* key = images_.KeyAt(i);
        CGdiRenderer::ReleaseImage(static_cast<ImageRecord*>(images_.Find(key, false)));
    }
    images_.RemoveAll();
    for (int i = 0; i < defaultAttributes_.Count(); ++i) {
        const wchar_t* key = defaultAttributes_.KeyAt(i);
        delete static_cast<CWideString*>(defaultAttributes_.Find(key, false));
    }
    defaultAttributes_.RemoveAll();
    for (int i = 0; i < optionGroups_.Count(); ++i) {
        const wchar_t* key = optionGroups_.KeyAt(i);
        delete static_cast<CPointerArray*>(optionGroups_.Find(key, false));
    }
    optionGroups_.RemoveAll();
}

}  // namespace TavikUI
