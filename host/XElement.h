#pragma once
#include "host/Platform.h"
#include "host/String.h"

#include <vector>

class XConfig;
class XElement;

// What an element and its values have in common, laid out as in the host library: the
// destructor's slot, the name, the kind of item.
class HOSTAPI XBaseItem {
    friend class XElement;
    friend class XConfig;

protected:
    XBaseItem(int itemType, CTSTR itemName);
    virtual ~XBaseItem();

    String strName;
    int type;

public:
    int GetType() const { return type; }
    CTSTR GetName() const { return strName.Array(); }
};

// A node of the host's settings tree: named values (text, integer, float) and named child
// elements, each element reaching its parent. Names are compared without regard to case. Values
// are read with a default, so a missing key is never an error. A value written as one type may be
// read as another: integers and floats convert; text is read by GetInt as a whole integer (0x and
// hexadecimal digits, or what String::ToInt takes, else 0) and by GetFloat as strtof reads it.
//
// The element's parent sits where the host library keeps it, so GetParent is the same inline
// read against either library.
class HOSTAPI XElement : public XBaseItem {
    friend class XConfig;
    friend class XConfigWriter;

    XConfig* file;
    XElement* parent;

    XElement(XConfig* config, XElement* parentElement, CTSTR elementName);

protected:
    ~XElement() override;

public:
    XElement(const XElement&) = delete;
    XElement& operator=(const XElement&) = delete;

    // Text owned by the element, valid until the value is changed; `def` when absent.
    CTSTR GetString(CTSTR name, TSTR def = nullptr) const;
    int GetInt(CTSTR name, int def = 0) const;
    float GetFloat(CTSTR name, float def = 0.0f) const;
    void SetString(CTSTR name, CTSTR value);
    void SetInt(CTSTR name, int value);
    void SetFloat(CTSTR name, float value);
    void RemoveItem(CTSTR name);

    // The first child with this name, or null.
    XElement* GetElement(CTSTR name) const;
    // Adds a child (a second child of the same name is allowed, as in the host).
    XElement* CreateElement(CTSTR name);
    // Removes and destroys a child of this element; nothing happens when it is not one.
    void RemoveElement(XElement* child);

    XElement* GetParent() const { return parent; }

    // This host's own, for the host program and tests.
    XElement* GetElementByID(DWORD index) const;
    DWORD NumElements() const { return static_cast<DWORD>(children.size()); }
    DWORD NumDataItems() const { return static_cast<DWORD>(items.size()); }
    CTSTR GetDataItemName(DWORD index) const;
    bool HasItem(CTSTR name) const;

    enum class Kind { Text, Int, Float };
    struct Item {
        String name;
        Kind kind = Kind::Text;
        int intValue = 0;
        float floatValue = 0.0f;
        mutable String text;              // the value as text (for Kind::Text, the value itself)
        mutable bool textCurrent = true;  // false while a number has not been formatted
    };

private:
    Item* FindItem(CTSTR name) const;
    Item& ItemFor(CTSTR name);

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

    XElement* GetRootElement() { return root; }
    // Replaces the tree with the file's content; false (tree left empty) when the file cannot be
    // read or parsed, with the reason in ErrorText().
    bool Open(CTSTR path);
    bool ParseText(const char* utf8, std::size_t length);
    // Writes the tree; false when the file cannot be written.
    bool Save(CTSTR path) const;
    // The tree in the file format; the caller frees the block with MainAllocator->_Free.
    char* SerializeText(std::size_t* length) const;
    CTSTR ErrorText() const { return error.Array() ? error.Array() : L""; }
    void Clear();

private:
    XElement* root;
    String error;
};
