// Three docked panes in a window: the tree pane at the left, the preview pane and the status
// pane at the bottom, each with its caption; the list takes the remaining space. The user drags
// the gaps between them to resize the tree and preview panes.
#pragma once

#include "fw/Subclass.h"

#include <windows.h>

#include <functional>
#include <string>

namespace kit {

class CDockPanes : private fw::CSubclassedWindow {
public:
    CDockPanes() = default;
    CDockPanes(const CDockPanes&) = delete;
    CDockPanes& operator=(const CDockPanes&) = delete;

    // `relayout` is called when a drag changed the pane sizes.
    void Create(HWND owner, HWND tree, const std::wstring& treeCaption, HWND preview, const std::wstring& previewCaption,
                HWND status, std::function<void()> relayout);
    // Places the panes in `area` and returns what is left for the centre.
    RECT Layout(RECT area);

private:
    enum class Drag { None, TreeWidth, PreviewHeight };
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    Drag hitTest(POINT point) const;
    HWND makeCaption(const std::wstring& text) const;

    HWND m_owner = nullptr;
    HWND m_tree = nullptr, m_treeCaption = nullptr;
    HWND m_preview = nullptr, m_previewCaption = nullptr;
    HWND m_status = nullptr;
    std::function<void()> m_relayout;
    int m_gap = 5;
    int m_captionHeight = 18;
    int m_statusHeight = 22;
    int m_minimum = 40;
    int m_treeWidth = 160;
    int m_previewHeight = 130;
    RECT m_treeGap = {}, m_previewGap = {};
    Drag m_drag = Drag::None;
    RECT m_area = {};
};

}  // namespace kit
