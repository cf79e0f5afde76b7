// The diagram box's two file forms: the binary form of tagged values and the text form of
// lines, both starting with the magic "KX1.00", then the vertex and edge counts and one record
// per object, each led by its class name.

#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXSafeSave.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXTextFile.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace {

const char *const DiagramMagic = "KX1.00";
// The value encoding leaves the buffer size free; a large one saves a system call per
// 128 bytes on big diagrams, and the bytes in the file are the same.
constexpr std::size_t ValueBufferSize = 64 * 1024;
// A class name of one letter (2 bytes) and the id and four sides of one byte each (2 bytes).
constexpr int64_t MinRecordBytes = 12;

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

void TKXDiagramBox::AddLoaded(std::unique_ptr<TKXObject> object)
{
    TKXObject *offered = object.get();
    const int32_t id = offered->Id;
    const auto settle = [&](bool filed) {
        if (filed || offered != object.get())
            object.release();
        if (id > LastId)
            LastId = id;
    };
    try {
        settle(AddOffered(offered, moLoaded) == object.get());
    } catch (...) {
        // AddObject may fail after filing the object (while drawing it): then it is the box's.
        settle(Vertices.IndexOf(object.get()) >= 0 || Edges.IndexOf(object.get()) >= 0);
        throw;
    }
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
    try {
        if (reader.GetString() != DiagramMagic)
            InvalidFormat(fileName);
        const TDrawBatch batch(*this);
        // The counts only say how many records follow; each one is read as it comes, so a
        // count larger than the file fails at the first missing record.
        const int64_t vertexCount = reader.GetInteger();
        const int64_t edgeCount = reader.GetInteger();
        // Room for the objects the file can hold: no record is shorter than its class name
        // and four values, so a hostile count reserves no more than the file's size allows.
        const int64_t room = stream.Size() / MinRecordBytes;
        Vertices.Reserve(static_cast<std::size_t>(std::clamp<int64_t>(vertexCount, 0, room)));
        Edges.Reserve(static_cast<std::size_t>(std::clamp<int64_t>(edgeCount, 0, room)));
        for (int64_t i = 0; i < vertexCount + edgeCount; ++i) {
            const TKXObjectClass &objectClass = FindClass(*this, reader.GetString());
            if (!objectClass.CreateFromStream)
                AbstractClass();
            AddLoaded(objectClass.CreateFromStream(reader, Vertices, Edges, data));
        }
    } catch (EKXError &error) {
        error.ByteOffset = reader.ValueOffset();
        throw;
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
    }, TKXTextFile::RaiseWriteError);
}

void TKXDiagramBox::LoadFromTextFile(const std::string &fileName, TObject *data)
{
    TKXTextFile file;
    file.Open(fileName);
    try {
        if (file.ReadLine() != DiagramMagic)
            InvalidFormat(fileName);
        const TDrawBatch batch(*this);
        const int64_t vertexCount = file.ReadInteger();
        const int64_t edgeCount = file.ReadInteger();
        file.ReadLn();
        for (int64_t i = 0; i < vertexCount + edgeCount; ++i) {
            const TKXObjectClass &objectClass = FindClass(*this, file.ReadLine());
            if (!objectClass.CreateFromText)
                AbstractClass();
            AddLoaded(objectClass.CreateFromText(file, Vertices, Edges, data));
        }
    } catch (EKXError &error) {
        error.Line = file.LineNumber();
        throw;
    }
    file.Close();
}
