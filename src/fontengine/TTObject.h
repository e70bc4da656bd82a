// The object tree of the font engine: every font, table and glyph is a TTObject that
// owns its children; TTStreamed adds the source state, the last error code and the
// input and output streams, which an object without its own takes from its owner.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TTError.h"
#include "TTStream.h"

// Where an object's content came from.
enum class TTSource : uint16_t { None = 0, Initiated = 1, Imported = 2, Calculated = 3 };
const char* SourceName(TTSource state);

class TTStreamed;
class TTDumpSink;

class TTObject {
public:
    explicit TTObject(TTObject* owner = nullptr) : m_pOwner(owner) {}
    virtual ~TTObject();
    TTObject(const TTObject&) = delete;
    TTObject& operator=(const TTObject&) = delete;

    virtual void removeChildren();
    // The name and label; an empty one reads back as "<undefined>".
    virtual std::string name() const;
    virtual std::string label() const;
    virtual const char* typeName() const { return "type_TTObject"; }
    // A new object of the same content (children included).
    virtual std::unique_ptr<TTObject> clone() const;
    // Copies other's fields, duplicating its strings and children.
    virtual void assign(const TTObject& other);
    // The structured dump: label, name, "= {", the fields, the children's dumps, "}".
    virtual void dumpStructured(TTDumpSink& sink);
    // The object's own fields as name = value lines; none in a plain object.
    virtual void dumpFields(TTDumpSink&) {}
    // The object has a name of its own (tables: their tag).
    virtual bool hasName() const { return m_pName != nullptr; }

    void setName(const std::string& text);
    void setLabel(const std::string& text);

    TTObject* owner() const { return m_pOwner; }
    void setOwner(TTObject* owner) { m_pOwner = owner; }
    virtual TTStreamed* asStreamed() { return nullptr; }

    size_t childCount() const { return m_children.size(); }
    TTObject* child(size_t pos) const { return pos < m_children.size() ? m_children[pos].get() : nullptr; }
    // Appends child, takes ownership and returns its position plus one.
    size_t addChild(std::unique_ptr<TTObject> child);
    // Deletes the child at pos and closes the gap.
    void removeChild(size_t pos);

protected:
    std::vector<std::unique_ptr<TTObject>>& children() { return m_children; }
    const std::vector<std::unique_ptr<TTObject>>& children() const { return m_children; }

private:
    TTObject* m_pOwner;
    std::vector<std::unique_ptr<TTObject>> m_children;
    // Most objects (glyphs above all) carry neither, so both live behind a pointer.
    std::unique_ptr<std::string> m_pName;
    std::unique_ptr<std::string> m_pLabel;
};

// The clone of an object whose class copies through assign: a fresh object of the same
// class and owner, given the original's content.
template <class T>
std::unique_ptr<TTObject> CloneAs(const T& original) {
    auto copy = std::make_unique<T>(original.owner());
    copy->assign(original);
    return copy;
}

class TTStreamed : public TTObject {
public:
    using TTObject::TTObject;

    const char* typeName() const override { return "type_TTStreamed"; }
    TTStreamed* asStreamed() override { return this; }
    void assign(const TTObject& other) override;

    TTSource state() const { return m_nState; }
    void setState(TTSource state) { m_nState = state; }
    int error() const { return m_nError; }
    void setError(int code) { m_nError = code; }

    void setInput(TTStream* stream) { m_pInput = stream; }
    void setOutput(TTStream* stream) { m_pOutput = stream; }
    // The object's own stream, else the nearest owner's; nullptr when there is none.
    TTStream* input() const;
    TTStream* output() const;

    // Read from / write to the current stream; answer the error code (0 on success).
    virtual int readBody() = 0;
    virtual int readFrom(TTStream* stream);
    virtual int read(TTStream* stream) { return readFrom(stream); }
    virtual int writeBody() = 0;
    virtual int writeTo(TTStream* stream);
    virtual int write(TTStream* stream) { return writeTo(stream); }
    // The plain listing; answers 0, or error 8 when the stream failed.
    virtual int dumpText(FILE*) { return TTError::kOk; }
    // Back to the object's defaults: state "initiated", error 0.
    virtual void reset();

    // Typed transfer between the big-endian file and native values. Unit sizes 1, 2
    // and 4 are converted as integers, any other size by reversing the unit's bytes.
    // readUnits answers the units read (0 and error 4 on a short read), writeUnits the
    // bytes written (0 and error 8 on failure).
    size_t readUnits(void* dest, size_t unitSize, size_t count);
    size_t writeUnits(const void* src, size_t unitSize, size_t count);

protected:
    // Resolve the input stream (error 2 without one), mark the object imported and clear
    // the error; false without a stream.
    bool beginReadStream();
    // Resolve the output stream (error 2 without one) and clear the error; false when
    // there is nothing to write (state "none") or no stream.
    bool beginWrite();

private:
    TTSource m_nState = TTSource::None;
    int m_nError = 0;
    TTStream* m_pInput = nullptr;
    TTStream* m_pOutput = nullptr;
};
