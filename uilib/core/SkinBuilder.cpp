#include "SkinBuilder.h"

#include <cwchar>

#include "ContainerUI.h"
#include "ControlFactory.h"
#include "ControlUI.h"
#include "ControlValueText.h"
#include "HorizontalLayoutUI.h"
#include "TreeNodeUI.h"
#include "TreeViewUI.h"
#include "UIRect.h"
#include "WindowManager.h"

namespace TavikUI {
namespace {

const int kDefaultFontSize = 12;

bool Is(const wchar_t* text, const wchar_t* expected) { return wcscmp(text, expected) == 0; }

// The elements that set up the manager rather than make controls.
bool IsResourceElement(const wchar_t* tag) { return Is(tag, L"Image") || Is(tag, L"Font") || Is(tag, L"Default"); }

// Two skin arguments name the same skin: equal resource ids, or file names
// equal without regard to case (Windows file names and archive items).
bool IsSameSkin(const wchar_t* a, const wchar_t* b) {
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) {
        return a == b;
    }
    return _wcsicmp(a, b) == 0;
}

void ApplyImageElement(const CSkinXmlNode& element, CWindowManager& manager) {
    const wchar_t* name = nullptr;
    const wchar_t* resourceType = nullptr;
    uint32_t mask = 0;
    for (int i = 0; i < element.AttributeCount(); ++i) {
        const wchar_t* attribute = element.AttributeName(i);
        const wchar_t* value = element.AttributeValue(i);
        if (Is(attribute, L"name")) {
            name = value;
        } else if (Is(attribute, L"restype")) {
            resourceType = value;
        } else if (Is(attribute, L"mask")) {
            mask = ReadHexColor(value);
        }
    }
    if (name) {
        manager.LoadAndCacheImage(name, resourceType, mask);
    }
}

void ApplyFontElement(const CSkinXmlNode& element, CWindowManager& manager) {
    const wchar_t* face = nullptr;
    int size = kDefaultFontSize;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool isDefault = false;
    for (int i = 0; i < element.AttributeCount(); ++i) {
        const wchar_t* attribute = element.AttributeName(i);
        const wchar_t* value = element.AttributeValue(i);
        if (Is(attribute, L"name")) {
            face = value;
        } else if (Is(attribute, L"size")) {
            size = ReadDecimal(value);
        } else if (Is(attribute, L"bold")) {
            bold = IsTrueText(value);
        } else if (Is(attribute, L"underline")) {
            underline = IsTrueText(value);
        } else if (Is(attribute, L"italic")) {
            italic = IsTrueText(value);
        } else if (Is(attribute, L"default")) {
            isDefault = IsTrueText(value);
        }
    }
    if (!face) {
        return;
    }
    manager.AddFont(face, size, bold, underline, italic);
    if (isDefault) {
        manager.SetDefaultFont(face, size, bold, underline, italic);
    }
}

void ApplyDefaultElement(const CSkinXmlNode& element, CWindowManager& manager) {
    const wchar_t* tag = nullptr;
    const wchar_t* attributes = L"";
    for (int i = 0; i < element.AttributeCount(); ++i) {
        const wchar_t* attribute = element.AttributeName(i);
        if (Is(attribute, L"name")) {
            tag = element.AttributeValue(i);
        } else if (Is(attribute, L"value")) {
            attributes = element.AttributeValue(i);
        }
    }
    if (tag) {
        manager.SetDefaultAttributes(tag, attributes);
    }
}

void ApplyWindowAttribute(CWindowManager& manager, const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"size")) {
        const CUISize size = ReadSizeText(value);
        manager.SetInitialSize(size.cx, size.cy);
    } else if (Is(name, L"sizebox")) {
        manager.SetSizeBox(ReadRectText(value));
    } else if (Is(name, L"caption")) {
        manager.SetCaptionRect(ReadRectText(value));
    } else if (Is(name, L"roundcorner")) {
        const CUISize size = ReadSizeText(value);
        manager.SetRoundCorner(size.cx, size.cy);
    } else if (Is(name, L"mininfo")) {
        const CUISize size = ReadSizeText(value);
        manager.SetMinInfo(size.cx, size.cy);
    } else if (Is(name, L"maxinfo")) {
        const CUISize size = ReadSizeText(value);
        manager.SetMaxInfo(size.cx, size.cy);
    } else if (Is(name, L"showdirty")) {
        manager.SetShowDirty(IsTrueText(value));
    } else if (Is(name, L"alpha")) {
        manager.SetWindowAlpha(static_cast<int>(_wtol(value)));
    } else if (Is(name, L"bktrans")) {
        manager.SetBackgroundTransparent(IsTrueText(value));
    } else if (Is(name, L"disabledfontcolor")) {
        manager.SetDisabledTextColor(ReadHexColor(value));
    } else if (Is(name, L"defaultfontcolor")) {
        manager.SetDefaultTextColor(ReadHexColor(value));
    } else if (Is(name, L"linkfontcolor")) {
        manager.SetLinkTextColor(ReadHexColor(value));
    } else if (Is(name, L"linkhoverfontcolor")) {
        manager.SetLinkHoverTextColor(ReadHexColor(value));
    } else if (Is(name, L"selectedcolor")) {
        manager.SetSelectedBackgroundColor(ReadHexColor(value));
    }
}

}  // namespace

CSkinBuilder::CSkinBuilder()
    : callback_(nullptr),
      resourceType_(nullptr),
      includer_(nullptr),
      scope_{nullptr, nullptr, 0},
      includeFailed_(false) {}

CControlUI* CSkinBuilder::Create(const wchar_t* skin, const wchar_t* resourceType, IDialogBuilderCallback* callback,
                                 CWindowManager* manager, CControlUI* parent) {
    includeFailed_ = false;
    if (!AcceptInclude(skin)) {
        return nullptr;
    }
    if (!LoadSkin(skin, resourceType)) {
        return nullptr;
    }
    scope_ = IncludeScope{includer_, skin, includer_ ? includer_->depth + 1 : 0};
    CControlUI* result = BuildWindow(callback, manager, parent);
    // The skin argument is the caller's: the scope does not keep it.
    scope_.skin = nullptr;
    return result;
}

bool CSkinBuilder::AcceptInclude(const wchar_t* skin) {
    if (!skin) {
        return SetError(L"No skin given", nullptr);
    }
    if (!includer_) {
        return true;
    }
    // Resource ids print as their number.
    wchar_t shownName[16] = {};
    const wchar_t* location = skin;
    if (IS_INTRESOURCE(skin)) {
        _snwprintf(shownName, 15, L"%u", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(skin)));
        location = shownName;
    }
    for (const IncludeScope* scope = includer_; scope; scope = scope->includer) {
        if (scope->skin && IsSameSkin(scope->skin, skin)) {
            includeFailed_ = true;
            return SetError(L"Skin includes itself", location);
        }
    }
    if (includer_->depth + 1 > kMaxIncludeDepth) {
        includeFailed_ = true;
        return SetError(L"Skin includes nested too deeply", location);
    }
    return true;
}

bool CSkinBuilder::LoadSkin(const wchar_t* skin, const wchar_t* resourceType) {
    if (IS_INTRESOURCE(skin)) {
        if (!LoadSkinResource(skin, resourceType)) {
            return false;
        }
        resourceType_ = resourceType;
        return true;
    }
    if (skin[0] == L'<') {
        return LoadFromString(skin);
    }
    return LoadFromFile(skin, SKIN_ENCODING_UTF8);
}

bool CSkinBuilder::LoadSkinResource(const wchar_t* id, const wchar_t* resourceType) {
    const HINSTANCE instance = CWindowManager::ResourceInstance();
    const HRSRC resource = FindResourceW(instance, id, resourceType);
    if (!resource) {
        return SetError(L"Skin resource not found", nullptr);
    }
    const HGLOBAL loaded = LoadResource(instance, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        return SetError(L"Skin resource cannot be loaded", nullptr);
    }
    return LoadFromMemory(bytes, SizeofResource(instance, resource), SKIN_ENCODING_UTF8);
}

CControlUI* CSkinBuilder::BuildWindow(IDialogBuilderCallback* callback, CWindowManager* manager, CControlUI* parent) {
    callback_ = callback;
    includeFailed_ = false;
    const CSkinXmlNode root = Root();
    if (!root.IsValid()) {
        return nullptr;
    }
    if (manager) {
        ApplyResourceElements(*manager);
        if (IsWindow(manager->Window()) && Is(root.Name(), L"Window")) {
            ApplyWindowAttributes(*manager);
        }
    }
    return CreateControls(root, parent, manager);
}

void CSkinBuilder::ApplyResourceElements(CWindowManager& manager) const {
    for (CSkinXmlNode element = Root().FirstChild(); element.IsValid(); element = element.NextSibling()) {
        const wchar_t* tag = element.Name();
        if (Is(tag, L"Image")) {
            ApplyImageElement(element, manager);
        } else if (Is(tag, L"Font")) {
            ApplyFontElement(element, manager);
        } else if (Is(tag, L"Default")) {
            ApplyDefaultElement(element, manager);
        }
    }
}

void CSkinBuilder::ApplyWindowAttributes(CWindowManager& manager) const {
    const CSkinXmlNode root = Root();
    for (int i = 0; i < root.AttributeCount(); ++i) {
        ApplyWindowAttribute(manager, root.AttributeName(i), root.AttributeValue(i));
    }
}

CControlUI* CSkinBuilder::CreateControls(const CSkinXmlNode& node, CControlUI* parent, CWindowManager* manager) {
    CControlUI* result = nullptr;
    IContainerUI* container = nullptr;
    bool containerLooked = false;
    for (CSkinXmlNode element = node.FirstChild(); element.IsValid(); element = element.NextSibling()) {
        const wchar_t* tag = element.Name();
        if (IsResourceElement(tag)) {
            continue;
        }
        if (Is(tag, L"Include")) {
            BuildInclude(element, parent, manager);
            if (includeFailed_) {
                return AbandonLevel(result, parent);
            }
            continue;
        }
        if (Is(tag, L"TreeNode")) {
            if (!BuildTreeNode(element, parent, manager)) {
                return nullptr;
            }
            continue;
        }
        CControlUI* control = MakeControl(tag);
        if (!control) {
            continue;
        }
        if (element.HasChildren()) {
            CreateControls(element, control, manager);
            if (includeFailed_) {
                delete control;
                return AbandonLevel(result, parent);
            }
        }
        if (parent && parent->InterfaceByName(L"TreeNode")) {
            // A node's parts live in its row layout.
            auto* node = static_cast<CTreeNodeUI*>(parent->InterfaceByName(L"TreeNode"));
            if (!node->RowLayout()->AddChild(control)) {
                delete control;
                continue;
            }
        } else if (parent) {
            if (!containerLooked) {
                container = static_cast<IContainerUI*>(parent->InterfaceByName(L"IContainer"));
                containerLooked = true;
            }
            if (!container) {
                delete control;
                return nullptr;
            }
            if (!container->AddChild(control)) {
                delete control;
                continue;
            }
        }
        if (manager) {
            control->AttachToManager(manager, nullptr, false);
            const wchar_t* defaults = manager->DefaultAttributesFor(tag);
            if (defaults) {
                control->ApplyAttributeString(defaults);
            }
        }
        for (int i = 0; i < element.AttributeCount(); ++i) {
            control->ApplyAttribute(element.AttributeName(i), element.AttributeValue(i));
        }
        if (manager) {
            control->AttachToManager(nullptr, nullptr, false);
        }
        if (!result) {
            result = control;
        } else if (!parent) {
            // Only the first control of a level without a parent reaches the
            // caller; the others would be lost.
            delete control;
        }
    }
    return result;
}

bool CSkinBuilder::BuildTreeNode(const CSkinXmlNode& element, CControlUI* parent, CWindowManager* manager) {
    // A node at the top level has no tree to join: it is skipped.
    if (!parent) {
        return true;
    }
    auto* parentNode = static_cast<CTreeNodeUI*>(parent->InterfaceByName(L"TreeNode"));
    auto* node = new CTreeNodeUI();
    if (parentNode) {
        if (!parentNode->AddChild(node)) {
            delete node;
            return true;
        }
    } else {
        auto* treeView = static_cast<CTreeViewUI*>(parent->InterfaceByName(L"TreeView"));
        if (!treeView) {
            delete node;
            return false;
        }
        if (!treeView->AddNode(node)) {
            delete node;
            return true;
        }
    }
    // The node stays attached: the window attaches the whole tree later.
    if (manager) {
        node->AttachToManager(manager, nullptr, false);
        if (const wchar_t* defaults = manager->DefaultAttributesFor(L"TreeNode")) {
            node->ApplyAttributeString(defaults);
        }
    }
    for (int i = 0; i < element.AttributeCount(); ++i) {
        node->ApplyAttribute(element.AttributeName(i), element.AttributeValue(i));
    }
    if (element.HasChildren()) {
        CreateControls(element, node, manager);
    }
    return true;
}

void CSkinBuilder::BuildInclude(const CSkinXmlNode& include, CControlUI* parent, CWindowManager* manager) {
    if (!include.HasAttributes()) {
        return;
    }
    wchar_t countText[kIncludeValueChars + 1] = {};
    wchar_t source[kIncludeValueChars + 1] = {};
    int count = 1;
    if (include.GetAttributeValue(L"count", countText, kIncludeValueChars)) {
        count = ReadDecimal(countText);
    }
    if (!include.GetAttributeValue(L"source", source, kIncludeValueChars)) {
        return;
    }
    const wchar_t* skin = source;
    if (resourceType_) {
        const long id = wcstol(source, nullptr, 10);
        // An id outside the resource id range names no resource.
        if (id <= 0 || id > 0xFFFF) {
            return;
        }
        skin = MAKEINTRESOURCEW(id);
    }
    for (int i = 0; i < count; ++i) {
        CSkinBuilder included;
        included.includer_ = &scope_;
        CControlUI* built = included.Create(skin, resourceType_, callback_, manager, parent);
        if (included.IncludeFailed()) {
            SetError(included.ErrorMessage(), included.ErrorLocation());
            includeFailed_ = true;
            return;
        }
        if (built && !parent) {
            // Nothing holds included controls without a parent.
            delete built;
        }
    }
}

CControlUI* CSkinBuilder::MakeControl(const wchar_t* tag) const {
    CControlUI* control = CreateLibraryControl(tag);
    if (control) {
        return control;
    }
    const CPointerArray& creators = CWindowManager::PluginCreators();
    for (int i = 0; i < creators.Count(); ++i) {
        auto creator = reinterpret_cast<SkinPluginCreator>(creators.AtUnchecked(i));
        control = creator ? creator(tag) : nullptr;
        if (control) {
            return control;
        }
    }
    return callback_ ? callback_->CreateControlForTag(tag) : nullptr;
}

CControlUI* CSkinBuilder::AbandonLevel(CControlUI* result, CControlUI* parent) {
    if (!parent) {
        delete result;
    }
    return nullptr;
}

}  // namespace TavikUI
