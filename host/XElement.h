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

// A node of the host's settings tree: named values and named child elements, each element
// reaching its parent. Names are compared without regard to case (ASCII letters). As in the host
// library, every value is kept as text: SetInt writes it in decimal, SetFloat as printf's %g does
// (six significant digits), and every Set writes the value anew even when it is unchanged.
// GetString gives the text, null for an empty one; GetInt reads "0x" and hexadecimal digits,
// "true" and "false" (any case), or else an unsigned number in base 0 (a leading 0 means
// octal) as far as it goes, after leading white space, wrapping into an int; GetFloat reads it
// as strtod does. A missing name gives the default. The host library's GetInt and GetFloat read
// an empty value through a null pointer; here they give 0, and callers never rely on either.
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

    struct Item {
        String name;
        String text;
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
//     size: 42                   a number: a 32-bit integer, or a float with a point or an
//     scale: 1.5                 exponent, kept as the text written (values that read as
//                                numbers are written so)
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
