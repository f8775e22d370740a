#include "library/lists/raw_parameter_parser.h"

#include "library/lists/command_line_token.h"
#include "library/lists/raw_numbered_tag.h"
#include "library/lists/tokenizer_texts.h"
#include "library/text/raw_pending.h"
#include "library/text/text_search.h"

namespace RawLayer {

void RawParameterParser::Parse(const RawString& text) {
    list->SetCaseSensitive(true);
    RawNumberedTag positionalTag;
    std::int32_t number = 1;
    std::int32_t length = text.Length();
    std::int32_t pos = FindNotOf(text, 0, WhiteSpaceText());
    while (pos < length) {
        if (text.UnitAt(pos) != OptionMarker) {
            RawToken value = ReadToken(text, pos);
            Store(positionalTag.Make(number), value.text);
            ++number;
            pos = value.next;
            continue;
        }
        RawToken tag = ReadToken(text, pos + 1);
        bool valueLess = tag.text.Length() == 0 || IsValueLess(tag.text) ||
                         (tag.next < length && text.UnitAt(tag.next) == OptionMarker);
        if (valueLess) {
            Store(tag.text, EmptyText());
            pos = tag.next;
            continue;
        }
        RawToken value = ReadToken(text, tag.next);
        Store(tag.text, value.text);
        pos = value.next;
    }
}

bool RawParameterParser::IsValueLess(const RawString& tag) const {
    for (const RawString* flag = flags; flag->Length() != 0; ++flag) {
        if (tag.Equals(*flag)) {
            return true;
        }
    }
    return false;
}

void RawParameterParser::Store(const RawString& tag, const RawString& value) {
    // Until the list has taken the unit, nothing would ever free it.
    RawPending pending(RawParameterListAllocator::NewUnit(),
                       [this](RawParameterUnit* unit) { list->DeleteUnit(unit); });
    list->Append(pending.Get());
    RawParameterUnit* unit = pending.Commit();
    unit->tag.Assign(tag);
    unit->value.Assign(value);
}

}  // namespace RawLayer
