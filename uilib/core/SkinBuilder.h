// Turns a skin document into a window's settings and control tree: the
// "Window" element's attributes and the "Image", "Font" and "Default"
// elements go to the window's manager, every other element becomes a control
// (or, for "Include", the controls of another skin) added to its parent.
// Tags outside the library's table are offered to the plug-in creators and
// then to the window's callback.
#pragma once

#include <windows.h>

#include "SkinXml.h"

namespace TavikUI {

class CControlUI;
class CWindowManager;

// The window's maker of controls for tags the library does not know.
class IDialogBuilderCallback {
public:
    // A new control, or null when the tag is unknown here too.
    virtual CControlUI* CreateControlForTag(const wchar_t* tag) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

// The functions CWindowManager::PluginCreators holds.
using SkinPluginCreator = CControlUI* (*)(const wchar_t* tag);

// The builder is the document it builds from; the built controls belong to
// their parents and the window, never to the builder.
class CSkinBuilder : public CSkinXml {
public:
    // Deepest chain of skins including each other that is followed.
    static constexpr int kMaxIncludeDepth = 16;
    // Longest "source" and "count" values of an "Include" read.
    static constexpr int kIncludeValueChars = 499;

    CSkinBuilder();

    // Loads the skin and builds it (BuildWindow). The skin is a resource id
    // (IS_INTRESOURCE), a text starting with '<' (the skin itself) or a skin
    // file name. Null when the skin cannot be loaded or nothing was built.
    CControlUI* Create(const wchar_t* skin, const wchar_t* resourceType, IDialogBuilderCallback* callback,
                       CWindowManager* manager, CControlUI* parent);
    // Applies the loaded document's window part to the manager and builds
    // the controls; the first control of the top level, or null.
    CControlUI* BuildWindow(IDialogBuilderCallback* callback, CWindowManager* manager, CControlUI* parent);
    // Builds the controls of the node's child elements into the parent; the
    // first control built at this level, or null. Null also when a control
    // cannot be placed because the parent holds no children.
    CControlUI* CreateControls(const CSkinXmlNode& node, CControlUI* parent, CWindowManager* manager);

    // True when an "Include" that includes itself (directly or through other
    // skins), or a chain deeper than kMaxIncludeDepth, stopped the build;
    // ErrorMessage and ErrorLocation then say which.
    bool IncludeFailed() const { return includeFailed_; }

private:
    // A skin being built and the skin that included it.
    struct IncludeScope {
        const IncludeScope* includer;
        const wchar_t* skin;
        int depth;
    };

    bool LoadSkin(const wchar_t* skin, const wchar_t* resourceType);
    bool LoadSkinResource(const wchar_t* id, const wchar_t* resourceType);
    // Refuses (with the error set) a skin that the chain of includers is
    // already building, or one nested too deeply.
    bool AcceptInclude(const wchar_t* skin);

    void ApplyResourceElements(CWindowManager& manager) const;
    void ApplyWindowAttributes(CWindowManager& manager) const;
    void BuildInclude(const CSkinXmlNode& include, CControlUI* parent, CWindowManager* manager);
    // A "TreeNode" element: added to its parent node or tree view, then its
    // attributes and children. False when the parent can hold no node.
    bool BuildTreeNode(const CSkinXmlNode& element, CControlUI* parent, CWindowManager* manager);
    CControlUI* MakeControl(const wchar_t* tag) const;
    // Ends a build stopped by an include failure: controls that no parent
    // took are deleted. Answers null.
    CControlUI* AbandonLevel(CControlUI* result, CControlUI* parent);

    IDialogBuilderCallback* callback_;
    // Set when the skin came from a module resource; includes then name
    // resources of this type.
    const wchar_t* resourceType_;
    // The scope of the skin that included this one; null for an outermost
    // build.
    const IncludeScope* includer_;
    IncludeScope scope_;
    bool includeFailed_;
};

}  // namespace TavikUI
