#include "XMLWnd.h"

namespace TavikUI {

CXMLWnd::CXMLWnd(const wchar_t* skinFileName) : skinFileName_(skinFileName) {}

CXMLWnd::~CXMLWnd() = default;

const wchar_t* CXMLWnd::WindowClassName() const { return L"XMLWnd"; }

CWideString CXMLWnd::SkinFolderName() const { return CWideString(); }

CWideString CXMLWnd::SkinFileName() const { return skinFileName_; }

}  // namespace TavikUI
