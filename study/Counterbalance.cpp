#include "Counterbalance.h"

#include "Agenda.h"
#include "TestSettings.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

int williamsRowCount(int n) { return n % 2 == 0 ? n : 2 * n; }

std::vector<int> williamsRow(int n, int row) {
    if (n <= 0) return {};
    const int rows = williamsRowCount(n);
    row = (row % rows + rows) % rows;
    // First row 0, 1, n-1, 2, n-2, ...; the others shift it, and for odd n
    // the second half repeats the first reversed.
    std::vector<int> order(n);
    for (int i = 0; i < n; i++) {
        const int first = i % 2 == 1 ? (i + 1) / 2 : (n - i / 2) % n;
        order[i] = (first + row % n) % n;
    }
    if (row >= n) std::reverse(order.begin(), order.end());
    return order;
}

int countAgendas(const char* folder) {
    std::error_code error;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::filesystem::path& path = entry.path();
        if (path.extension() != ".xml" || path.filename() == "config.xml") continue;
        Agenda other;
        if (other.read(path.c_str()) > 0) count++;
    }
    return count;
}

void balanceAgenda(Agenda& agenda, int row) {
    const std::vector<int> order = williamsRow(agenda.length, row);
    AgendaItem sorted[Agenda::kCapacity];
    for (int i = 0; i < agenda.length; i++) sorted[i] = agenda.items[order[i]];
    std::copy(sorted, sorted + agenda.length, agenda.items);
    agenda.step = 1;
    agenda.current = 0;
}

int buildAgenda(Agenda& agenda, const TestSettings& settings, const char* folder, unsigned seed) {
    if (!settings.counterbalance) return agenda.build(settings, seed);
    const int participant = countAgendas(folder);
    agenda.fill(settings);
    balanceAgenda(agenda, participant);
    std::printf("curr = %d, inc = %d\n", agenda.current, agenda.step);
    std::printf("balanced order: participant %d\n", participant + 1);
    return agenda.length;
}
