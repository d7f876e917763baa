// CPasteQueueNode: the paste queue as the main window sees it: filled from the list's menu and
// (with the tray's "复制时加入粘贴队列" on) by every copy recorded, shown under its own node and
// counted in the tray's tooltip. The hook library takes its head with Ctrl+Alt+Q and tells us with
// the paste's WM_USER+3. Every change is one step on the store's status file (store/PasteQueue.h).
#pragma once

#include "app/ClipTrayIcon.h"

#include <functional>
#include <string>
#include <vector>

namespace app {

class CPasteQueueNode {
public:
    // `showsQueue` tells whether the queue's node is on display, `refill` shows its rows again.
    CPasteQueueNode(std::string statusFile, CClipTrayIcon& tray, std::function<bool()> showsQueue, std::function<void()> refill)
        : m_statusFile(std::move(statusFile)), m_tray(tray), m_showsQueue(std::move(showsQueue)), m_refill(std::move(refill)) {}

    // The rows' clips appended in this order, or taken out; all of it emptied.
    void Append(const std::vector<std::string>& clips);
    void Remove(const std::vector<std::string>& clips);
    void Clear();
    // A copy recorded joins it while the tray's item is on.
    void Recorded(int number);
    // The tooltip's count, and the queue's rows when they are on display.
    void Changed();

private:
    void appendNumbers(const std::vector<int>& numbers);

    const std::string m_statusFile;
    CClipTrayIcon& m_tray;
    std::function<bool()> m_showsQueue;
    std::function<void()> m_refill;
};

}  // namespace app
