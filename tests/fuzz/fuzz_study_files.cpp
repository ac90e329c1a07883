// libFuzzer target: any bytes given to the XML reader and then to the
// settings and agenda readers must neither crash nor hang, a readable file
// must write back in a form that reads and writes the same again, and an
// agenda must survive its own file.
#include "Agenda.h"
#include "SessionSettings.h"
#include "Sudoku.h"
#include "TestSettings.h"
#include "XMLDoc.h"

#include "FuzzInput.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

static bool sameItem(const AgendaItem& a, const AgendaItem& b) {
    return a.grid == b.grid && a.permutation == b.permutation && a.AR == b.AR &&
           a.colored == b.colored && a.in3D == b.in3D && a.repulsive == b.repulsive &&
           a.attractive == b.attractive && a.overviews == b.overviews && a.markup == b.markup &&
           a.evaluate == b.evaluate && a.done == b.done && a.milliseconds == b.milliseconds;
}

static void walk(Agenda& agenda) {
    if (agenda.remaining() < 1) return;
    int index = agenda.currentItem();
    for (int games = 0; index >= 0; games++) {
        check(index < agenda.length, "item inside the agenda");
        check(games <= agenda.length, "every game is reached once");
        agenda.record(games);
        index = agenda.nextItem();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FILE* sink = std::fopen("/dev/null", "w");
    XMLDoc doc;
    if (!doc.readText((const char*)data, size)) {
        check(doc.errors.size() == 1 && !doc.root(), "unreadable means empty with one error");
        return 0;
    }
    const XS_String once = doc.text();
    XMLDoc again;
    check(again.readText(once.data(), once.size()) == 1, "written text reads back");
    check(again.text() == once, "written text writes the same again");

    SessionSettings session;
    Sudoku board;
    TestSettings settings;
    settings.read(doc, session, board);
    settings.print(sink);

    Agenda agenda;
    if (agenda.read(doc) > 0) {
        check(agenda.length <= Agenda::kCapacity, "length inside the slots");
        check(agenda.current >= 0 && agenda.current < agenda.length, "current inside the agenda");
        agenda.print(settings, sink);
        XMLDoc file;
        agenda.toDoc(file, "player");
        Agenda back;
        check(back.read(file) == agenda.length, "agenda length survives its file");
        check(back.current == agenda.current && back.step == agenda.step, "walk survives its file");
        for (int i = 0; i < agenda.length; i++)
            check(sameItem(back.items[i], agenda.items[i]), "items survive their file");
        walk(agenda);
    }
    Agenda built;
    built.build(settings, (unsigned)size);
    walk(built);
    return 0;
}
