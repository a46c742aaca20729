#pragma once
// What the desktop shell does for the system icon set: the state of the
// trash, icons taken out of files, telling whoever shows icons that they
// changed, and opening a document or address.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pictoform {

// A small picture handed from the shell to a list: blue, green, red, alpha
// bytes per pixel (ARGB32 on a little-endian machine), top row first.
struct ShellIcon {
    static constexpr int kSide = 32;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra;

    [[nodiscard]] bool IsValid() const {
        return width > 0 && height > 0 &&
               bgra.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    }
};

// A desktop object's icon as the set stands: its location now, and whether
// that is a replacement rather than the icon it had at first.
struct ObjectIcon {
    std::string item; // the set's name for it, "My_Computer"
    std::string path;
    int index = 0;
    bool replaced = false;
    friend bool operator==(const ObjectIcon&, const ObjectIcon&) = default;
};

class Shell {
public:
    using Listener = std::function<void()>;

    virtual ~Shell() = default;

    // Whether the trash holds nothing; nothing when that cannot be told.
    [[nodiscard]] virtual std::optional<bool> IsTrashEmpty() const = 0;
    // The icon of a file by index: an icon or cursor file, a picture, or a
    // program module (index >= 0 counts its icons, a negative index names the
    // resource identifier -index). Nothing when there is no such icon.
    [[nodiscard]] virtual std::optional<ShellIcon> ExtractIcon(const std::string& path,
                                                               int index) const = 0;
    // Opens a document or an address with the program the desktop chooses.
    [[nodiscard]] virtual bool Open(const std::string& target) = 0;
    // Makes the desktop show these icons for its objects (a replaced one
    // instead of its own, the others as they were). A shell that cannot does nothing.
    virtual void ShowObjectIcons(const std::vector<ObjectIcon>& objects) { (void)objects; }

    // Listeners hear that icons changed; the id unregisters.
    int AddIconsChangedListener(Listener listener) {
        m_listeners.push_back({++m_lastId, std::move(listener)});
        return m_lastId;
    }
    void RemoveIconsChangedListener(int id) {
        std::erase_if(m_listeners, [id](const Entry& e) { return e.id == id; });
    }
    // Tells every listener, in the order they were added.
    void NotifyIconsChanged() {
        // A listener may unregister while being told.
        const std::vector<Entry> listeners = m_listeners;
        for (const Entry& e : listeners) {
            if (e.listener) e.listener();
        }
    }

protected:
    Shell() = default;
    Shell(const Shell&) = default;
    Shell& operator=(const Shell&) = default;

private:
    struct Entry {
        int id = 0;
        Listener listener;
    };
    std::vector<Entry> m_listeners;
    int m_lastId = 0;
};

} // namespace pictoform
