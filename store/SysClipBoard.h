// CSysClipBoard: the main program's access to the clip store in the Windows directory.
//
// Every operation is self-contained: it loads the file it needs into a fresh XmlDocument, works
// on it, saves it if it changed something and keeps nothing, so it always sees what the hook
// library (in another process) wrote last. The index operations are portable; file copies,
// folder deletion, the code-page text conversion and the tree and menu fillers are per platform.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class XmlDocument;

// Win32 handle types, declared as <windows.h> does, so this header needs no Windows headers.
struct HWND__;
struct HMENU__;
struct _TREEITEM;
using HWND = HWND__*;
using HMENU = HMENU__*;
using HTREEITEM = _TREEITEM*;

class CSysClipBoard {
public:
    // The single instance on the Windows directory; null if it cannot be made.
    static CSysClipBoard* getInstance();
    static void releaseInstance();

    // A store in any folder (production passes the Windows directory).
    explicit CSysClipBoard(std::string windowsDir);
    virtual ~CSysClipBoard();
    CSysClipBoard(const CSysClipBoard&) = delete;
    CSysClipBoard& operator=(const CSysClipBoard&) = delete;

    std::string getWindowsDir() const { return m_strWindowsDir; }

    bool isSysClipSet() const;
    int findCanUseHisClip() const;
    std::string getValue(std::string_view name) const;
    // A null `text` stores nothing. With `update` an existing element gets the text; without it
    // a new element is always appended.
    void setValue(const char* text, std::string_view name, int update) const;
    bool hasElement(std::string_view name, std::string_view text) const;
    void removeElement(std::string_view name) const;
    void removeClip(std::string_view clip) const;
    void copyClip(std::string_view from, std::string_view to) const;
    void setCategory(std::string_view category, std::string_view hisName) const;
    void fillCategoryTree(HWND tree, HTREEITEM categoryRoot) const;
    bool fillCategoryMenu(HMENU menu) const;
    std::u16string getTextFromName(std::string_view clip) const;
    std::u16string getFileListText(std::string_view clip) const;
    bool deleteFolder(const std::string& path) const;
    bool saveArchive(const std::string& path) const;
    bool openArchive(const std::string& path) const;

    // The category names (AddNew elements) in order; empty when the index cannot be read.
    std::vector<std::string> categoryNames() const;

    // Where messages go: a message box by default; tests replace it.
    using MessageHandler = std::function<void(const std::string& text)>;
    static void setMessageHandler(MessageHandler handler);

    // The command id of the first category in the category menu.
    static constexpr unsigned kFirstCategoryCommand = 110000;

private:
    static CSysClipBoard*& instanceSlot();
    enum class Load { Loaded, Missing, Unreadable };
    Load loadIndex(XmlDocument& doc) const;
    std::string indexPath() const;
    std::string statusPath() const;
    std::string dataFolder() const;
    std::string dataFile(std::string_view name) const;
    // The format elements of `clip` with a text: index, clipboard format number.
    std::vector<std::pair<int, int>> clipFormats(XmlDocument& doc, std::string_view clip) const;
    // The bytes of a data file; nothing when it cannot be opened.
    std::optional<std::string> readDataFile(std::string_view name) const;
    void showMessage(const std::string& text) const;
    void copyElementFiles(const std::vector<std::string>& names, const std::string& from,
                          const std::string& to) const;

    // Per platform.
    static std::u16string codePageToUtf16(std::string_view bytes);
    static bool copyFile(const std::string& from, const std::string& to);
    static bool createFolder(const std::string& path);
    static bool isReadableFile(const std::string& path);
    static bool replaceFile(const std::string& from, const std::string& to);
    static void removeFile(const std::string& path);
    static std::vector<std::string> filesIn(const std::string& folder);
    static void defaultMessage(const std::string& text);
    bool deleteTree(const std::string& path) const;

    std::string m_strWindowsDir;
};
