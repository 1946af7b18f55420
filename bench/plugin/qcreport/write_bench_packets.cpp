// Writes the benchmark's input packets to files, one per conversion, so that programs outside
// the benchmark (zeph-host on each platform) convert the very same bytes:
//   qcreport_bench_packets DIR [RECORDS]   (default 20000)
#include "QcBenchPackets.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s DIR [RECORDS]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const int records = argc == 3 ? std::atoi(argv[2]) : 20000;
    if (records <= 0) {
        std::fprintf(stderr, "records: a positive number\n");
        return 2;
    }
    const struct {
        qcbench::Kind kind;
        const char* name;
    } packets[] = {
        {qcbench::Kind::CheckResult, "check-result.xml"},
        {qcbench::Kind::SkillReport, "skill-report.xml"},
        {qcbench::Kind::CheckReport, "check-report.xml"},
        {qcbench::Kind::CheckPerson, "check-person.xml"},
        {qcbench::Kind::IpTable, "ip-table.xml"},
    };
    for (const auto& packet : packets) {
        const std::string path = dir + "/" + packet.name;
        std::ofstream out(path, std::ios::binary);
        out << qcbench::InputPacket(packet.kind, records);
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
