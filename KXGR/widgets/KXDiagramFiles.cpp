// The diagram box's two file forms: the binary form of tagged values and the text form of
// lines, both starting with the magic "KX1.00", then the vertex and edge counts and one record
// per object, each led by its class name.

#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXSafeSave.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXTextFile.h"

#include <cstdint>
#include <memory>
#include <utility>

namespace {

const char *const DiagramMagic = "KX1.00";
// The value encoding leaves the buffer size free; a large one saves a system call per
// 128 bytes on big diagrams, and the bytes in the file are the same.
constexpr std::size_t ValueBufferSize = 64 * 1024;

// Adds the objects of one load to a box. While it lives it watches the host's OnAddObject so
// that it knows whether the host replaced an object, and it settles who owns each object.
class TDiagramLoader {
public:
    explicit TDiagramLoader(TKXDiagramBox &box) : FBox(box), FHostHandler(box.OnAddObject)
    {
        if (FHostHandler)
            FBox.OnAddObject = [this](TKXObject *&object, TKXMode mode) {
                const bool accepted = FHostHandler(object, mode);
                FOffered = object;
                return accepted;
            };
    }
    ~TDiagramLoader() { FBox.OnAddObject = std::move(FHostHandler); }
    TDiagramLoader(const TDiagramLoader &) = delete;
    TDiagramLoader &operator=(const TDiagramLoader &) = delete;

    // Adds a completely read object with moLoaded and raises LastId to its Id, also when the
    // host refuses it. The box keeps what it takes; an object the host replaced belongs to
    // the host; anything else (refused, or of a kind the box does not list) is released here.
    void Add(std::unique_ptr<TKXObject> object)
    {
        TKXObject *built = object.get();
        const int32_t id = built->Id;
        FOffered = built;
        try {
            if (FBox.AddObject(built, moLoaded) == built)
                object.release();
        } catch (...) {
            // AddObject may fail after filing the object (while drawing it): then it is the box's.
            if (FBox.Vertices.IndexOf(built) >= 0 || FBox.Edges.IndexOf(built) >= 0)
                object.release();
            Settle(object, id);
            throw;
        }
        Settle(object, id);
    }

private:
    void Settle(std::unique_ptr<TKXObject> &object, int32_t id)
    {
        if (FOffered != object.get())
            object.release();
        if (id > FBox.LastId)
            FBox.LastId = id;
    }

    TKXDiagramBox &FBox;
    TKXObjectEvent FHostHandler;
    TKXObject *FOffered = nullptr;
};

const TKXObjectClass &FindClass(const TKXDiagramBox &box, const std::string &name)
{
    const TKXObjectClass *objectClass = box.FindObjectClass(name);
    if (!objectClass)
        throw EKXDiagramError(KXMessages::ClassNotRegistered + name);
    return *objectClass;
}

[[noreturn]] void InvalidFormat(const std::string &fileName)
{
    throw EKXDiagramError(KXMessages::InvalidFileFormatPrefix + fileName);
}

[[noreturn]] void AbstractClass() { throw EAbstractError(KXMessages::AbstractError); }

}

void TKXDiagramBox::SaveToFile(const std::string &fileName)
{
    SaveFileSafely(fileName, [this](const std::string &tempFileName) {
        TKXFileStream stream(tempFileName, fmCreate);
        TValueWriter writer(stream, ValueBufferSize);
        writer.PutString(DiagramMagic);
        writer.PutInteger(static_cast<int32_t>(Vertices.Count()));
        writer.PutInteger(static_cast<int32_t>(Edges.Count()));
        for (const TKXObjectList *list : {&Vertices, &Edges})
            for (const auto &object : *list) {
                writer.PutString(object->ClassType().ClassName);
                object->WriteToStream(writer);
            }
        writer.FlushBuffer();
        stream.Close();
    });
}

void TKXDiagramBox::LoadFromFile(const std::string &fileName, TObject *data)
{
    TKXFileStream stream(fileName, fmOpenRead);
    TValueReader reader(stream, ValueBufferSize);
    if (reader.GetString() != DiagramMagic)
        InvalidFormat(fileName);
    // The counts only say how many records follow; each one is read as it comes, so a count
    // larger than the file fails at the first missing record.
    const int64_t vertexCount = reader.GetInteger();
    const int64_t edgeCount = reader.GetInteger();
    TDiagramLoader loader(*this);
    for (int64_t i = 0; i < vertexCount + edgeCount; ++i) {
        const TKXObjectClass &objectClass = FindClass(*this, reader.GetString());
        if (!objectClass.CreateFromStream)
            AbstractClass();
        loader.Add(objectClass.CreateFromStream(reader, Vertices, Edges, data));
    }
}

void TKXDiagramBox::SaveToTextFile(const std::string &fileName)
{
    SaveFileSafely(fileName, [this](const std::string &tempFileName) {
        TKXTextFile file;
        file.Create(tempFileName);
        file.WriteLine(DiagramMagic);
        file.WriteIntegers({static_cast<int32_t>(Vertices.Count()), static_cast<int32_t>(Edges.Count())});
        for (const TKXObjectList *list : {&Vertices, &Edges})
            for (const auto &object : *list) {
                file.WriteLine(object->ClassType().ClassName);
                object->WriteToText(file);
            }
        file.Close();
    });
}

void TKXDiagramBox::LoadFromTextFile(const std::string &fileName, TObject *data)
{
    TKXTextFile file;
    file.Open(fileName);
    if (file.ReadLine() != DiagramMagic)
        InvalidFormat(fileName);
    const int64_t vertexCount = file.ReadInteger();
    const int64_t edgeCount = file.ReadInteger();
    file.ReadLn();
    TDiagramLoader loader(*this);
    for (int64_t i = 0; i < vertexCount + edgeCount; ++i) {
        const TKXObjectClass &objectClass = FindClass(*this, file.ReadLine());
        if (!objectClass.CreateFromText)
            AbstractClass();
        loader.Add(objectClass.CreateFromText(file, Vertices, Edges, data));
    }
    file.Close();
}
