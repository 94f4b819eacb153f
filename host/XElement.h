#pragma once
#include "host/Platform.h"
#include "host/String.h"

#include <vector>

// A node of the host's settings tree: named values (text, integer, float) and named child
// elements, each element reaching its parent. Values are read with a default, so a missing
// key is never an error. A value written as one type may be read as another: integers and
// floats convert, text is parsed.
class HOSTAPI XElement {
public:
    XElement(const XElement&) = delete;
    XElement& operator=(const XElement&) = delete;
    ~XElement();

    CTSTR GetName() const noexcept;
    XElement* GetParent() const noexcept { return parent; }

    // The first child with this name, or null.
    XElement* GetElement(CTSTR name) const noexcept;
    // Adds a child (a second child of the same name is allowed, as in the host).
    XElement* CreateElement(CTSTR name);
    unsigned NumElements() const noexcept { return static_cast<unsigned>(children.size()); }
    XElement* GetElementByID(unsigned index) const noexcept;
    // Removes and destroys a child of this element; false when it is not one.
    bool RemoveElement(XElement* child) noexcept;

    // Text owned by the element, valid until the value is changed; `def` when absent.
    CTSTR GetString(CTSTR name, CTSTR def = nullptr) const;
    int GetInt(CTSTR name, int def = 0) const noexcept;
    float GetFloat(CTSTR name, float def = 0.0f) const noexcept;
    void SetString(CTSTR name, CTSTR value);
    void SetInt(CTSTR name, int value);
    void SetFloat(CTSTR name, float value);
    bool HasItem(CTSTR name) const noexcept;
    void RemoveItem(CTSTR name) noexcept;
    unsigned NumDataItems() const noexcept { return static_cast<unsigned>(items.size()); }
    CTSTR GetDataItemName(unsigned index) const noexcept;

    enum class Kind { Text, Int, Float };
    struct Item {
        String name;
        Kind kind = Kind::Text;
        int intValue = 0;
        float floatValue = 0.0f;
        mutable String text;          // the value as text (for Kind::Text, the value itself)
        mutable bool textCurrent = true;   // false while a number has not been formatted
    };

private:
    friend class XConfig;
    friend class XConfigWriter;
    XElement(XElement* parent, CTSTR name);
    Item* FindItem(CTSTR name) const noexcept;
    Item& ItemFor(CTSTR name);

    XElement* parent;
    String name;
    std::vector<Item*> items;
    std::vector<XElement*> children;
};

// A settings tree with a root element, kept in a UTF-8 text file:
//
//     # a comment line
//     key: "text value"          text, with \\ \" \n \r \t and \uXXXX escapes
//     size: 42                   integer
//     scale: 1.5                 float (always written with a point or an exponent)
//     "a name with spaces" {     a child element; names are bare ([A-Za-z0-9_.-]) or quoted
//         inner: 1
//     }
class HOSTAPI XConfig {
public:
    XConfig();
    ~XConfig();
    XConfig(const XConfig&) = delete;
    XConfig& operator=(const XConfig&) = delete;

    XElement* GetRootElement() noexcept { return root; }
    // Replaces the tree with the file's content; false (tree left empty) when the file cannot be
    // read or parsed, with the reason in ErrorText().
    bool Open(CTSTR path);
    bool ParseText(const char* utf8, std::size_t length);
    // Writes the tree; false when the file cannot be written.
    bool Save(CTSTR path) const;
    // The tree in the file format; the caller frees the block with MainAllocator->Free.
    char* SerializeText(std::size_t* length) const;
    CTSTR ErrorText() const noexcept { return error.c_str(); }
    void Clear();

private:
    XElement* root;
    String error;
};
