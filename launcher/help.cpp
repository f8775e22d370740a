#include "launcher/help.h"

#include "launcher/command_table.h"
#include "library/system/com_apartment.h"
#include "library/system/file_attributes.h"
#include "library/system/message_box.h"
#include "library/system/raw_shell.h"
#include "library/system/shell_launch.h"
#include "library/text/module_path.h"
#include "library/text/path.h"
#include "library/text/text_building.h"
#include "platform/os_values.h"

namespace Velmoran {
namespace {

using RawLayer::EmptyText;
using RawLayer::LineBreakText;
using RawLayer::ProgramNameText;
using RawLayer::RawString;

// Room for the whole usage text, so that it is built without growing.
constexpr std::int32_t UsageCapacity = 1024;

const RawString& ReadMeName() {
    static const RawString name = RawString::Constant("ReadMe_Velmoran.txt");
    return name;
}

const RawString& ArgumentHeading() {
    static const RawString heading =
        RawString::Constant("(1) Execute this program with these argument.");
    return heading;
}

const RawString& RenameHeading() {
    static const RawString heading =
        RawString::Constant("(2) Rename this program to the following names. And execute.");
    return heading;
}

const RawString& ProgramExtension() {
    static const RawString extension = RawString::Constant(".exe");
    return extension;
}

void Append(RawString& text, const RawString& piece) {
    RawLayer::AppendStrings(text, piece, EmptyText(), EmptyText(), EmptyText(), EmptyText());
}

bool IsReadableFile(std::uint32_t attributes) {
    return attributes != RawLayer::Os::InvalidFileAttributes &&
           (attributes & RawLayer::Os::FileAttributeDirectory) == 0;
}

}  // namespace

void ShowHelp() {
    RawString readMe = RawLayer::JoinPath(RawLayer::ModuleDirectory(), ReadMeName());
    if (!IsReadableFile(RawLayer::QueryFileAttributes(readMe))) {
        ShowUsage();
        return;
    }
    RawLayer::RawShell shell(readMe);
    // The path is the program's own folder as it is named: a folder called %NAME% must not
    // lead the shell to whatever folder the variable names.
    shell.mask = RawLayer::LiteralLaunch;
    {
        RawLayer::RawComApartment apartment;
        // An empty verb lets the shell apply the default verb of the file's type.
        shell.Execute(shell.parameters, EmptyText());
    }
    // Nothing waits for the viewer: its handle goes at once.
    shell.CloseProcess();
}

void ShowUsage() {
    RawString usage(RawLayer::RawEncoding::ShiftJis, UsageCapacity);
    Append(usage, ArgumentHeading());
    Append(usage, LineBreakText());
    Append(usage, LineBreakText());
    for (const CommandEntry* row = GetCommandTable(); row->name.Length() != 0; ++row) {
        usage.AppendIndent();
        Append(usage, ProgramNameText());
        Append(usage, ProgramExtension());
        usage.AppendIndent();
        Append(usage, row->name);
        Append(usage, LineBreakText());
    }
    Append(usage, LineBreakText());
    Append(usage, RenameHeading());
    Append(usage, LineBreakText());
    Append(usage, LineBreakText());
    for (const CommandEntry* row = GetCommandTable(); row->name.Length() != 0; ++row) {
        usage.AppendIndent();
        Append(usage, row->name);
        Append(usage, LineBreakText());
    }
    RawLayer::ShowInformation(usage, ProgramNameText());
}

}  // namespace Velmoran
