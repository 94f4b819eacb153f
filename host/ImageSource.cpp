#include "host/ImageSource.h"

#include <cstring>
#include <vector>

namespace {
enum class ValueKind { Float, Int, String, Vect, Vect2, Vect4, Matrix };

struct NamedValue {
    String name;
    ValueKind kind;
    float numbers[12] = {};  // a Matrix is the largest: four Vects of three floats
    int integer = 0;
    String text;
};
}  // namespace

struct ImageSource::NamedValues {
    std::vector<NamedValue> values;

    NamedValue& Slot(CTSTR name, ValueKind kind) {
        for (NamedValue& v : values) {
            if (v.name == name) {
                v.kind = kind;
                return v;
            }
        }
        values.push_back(NamedValue{String(name), kind, {}, 0, String()});
        return values.back();
    }

    const NamedValue* Find(CTSTR name, ValueKind kind) const {
        for (const NamedValue& v : values)
            if (v.name == name && v.kind == kind) return &v;
        return nullptr;
    }
};

ImageSource::ImageSource() : namedValues(new NamedValues) {}

ImageSource::~ImageSource() { delete namedValues; }

namespace {
template <typename T>
void Store(NamedValue& slot, const T& value) {
    static_assert(sizeof(T) <= sizeof slot.numbers, "value too large");
    std::memcpy(slot.numbers, &value, sizeof(T));
}
template <typename T>
bool Load(const NamedValue* slot, T& out) {
    if (!slot) return false;
    std::memcpy(&out, slot->numbers, sizeof(T));
    return true;
}
}  // namespace

void ImageSource::SetFloat(CTSTR name, float value) { Store(namedValues->Slot(name, ValueKind::Float), value); }
void ImageSource::SetInt(CTSTR name, int value) { namedValues->Slot(name, ValueKind::Int).integer = value; }
void ImageSource::SetString(CTSTR name, CTSTR value) { namedValues->Slot(name, ValueKind::String).text = value; }
void ImageSource::SetVector(CTSTR name, const Vect& value) { Store(namedValues->Slot(name, ValueKind::Vect), value); }
void ImageSource::SetVector2(CTSTR name, const Vect2& value) { Store(namedValues->Slot(name, ValueKind::Vect2), value); }
void ImageSource::SetVector4(CTSTR name, const Vect4& value) { Store(namedValues->Slot(name, ValueKind::Vect4), value); }
void ImageSource::SetMatrix(CTSTR name, const Matrix& value) { Store(namedValues->Slot(name, ValueKind::Matrix), value); }

bool ImageSource::GetFloat(CTSTR name, float& out) const { return Load(namedValues->Find(name, ValueKind::Float), out); }
bool ImageSource::GetInt(CTSTR name, int& out) const {
    const NamedValue* v = namedValues->Find(name, ValueKind::Int);
    if (v) out = v->integer;
    return v != nullptr;
}
bool ImageSource::GetString(CTSTR name, String& out) const {
    const NamedValue* v = namedValues->Find(name, ValueKind::String);
    if (v) out = v->text;
    return v != nullptr;
}
bool ImageSource::GetVector(CTSTR name, Vect& out) const { return Load(namedValues->Find(name, ValueKind::Vect), out); }
bool ImageSource::GetVector2(CTSTR name, Vect2& out) const { return Load(namedValues->Find(name, ValueKind::Vect2), out); }
bool ImageSource::GetVector4(CTSTR name, Vect4& out) const { return Load(namedValues->Find(name, ValueKind::Vect4), out); }
bool ImageSource::GetMatrix(CTSTR name, Matrix& out) const { return Load(namedValues->Find(name, ValueKind::Matrix), out); }
