// Threads: every thread has its own writer state and file table, so several
// threads each writing their own files with their own controls at once produce
// exactly the bytes that the same work produces alone.
#include <latch>
#include <thread>

#include "vireo/control/catalogue.h"
#include "vireo/control/property_bag.h"
#include "test_support.h"

using namespace prjVireo;

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 12;

// Every segment class, every field filled, several rounds, with settings and a
// cancelling handler that differ by `seed`. Returns the final segment count.
std::string write_batch(const std::string& path, int seed) {
    vireo ctl;
    TextPropertyBag saved;
    saved.WriteProperty("DataElementSeparator", std::string(1, "*|^+"[seed % 4]), "*");
    saved.WriteProperty("SegmentTerminator", std::string(1, "~!#'"[seed % 4]), "~");
    saved.WriteProperty("NewLine", Variant(seed % 3), Variant(0));
    saved.WriteProperty("Annotation", Variant::boolean(seed % 2 == 1), Variant::boolean(false));
    ctl.ReadProperties(saved);
    ctl.ErrorTrap(seed % 2 ? -1 : 0);
    std::string p = path;
    ctl.OpenFile(p);
    ctl.SegCount("0");
    int raised = 0;
    ctl.BeforeAdd.connect([&](std::string&, std::int32_t&, std::int16_t& cancel) {
        if (++raised % (5 + seed) == 0) cancel = -1;
    });
    const auto& slots = catalogue::slots();
    for (int round = 0; round < kRounds; ++round) {
        for (std::size_t s = 0; s < slots.size(); ++s) {
            auto obj = ctl.member(s);
            const SegmentClassDescriptor& d = obj->descriptor();
            obj->Clear();
            for (std::size_t i = 0; i < d.field_count; ++i) {
                const FieldDescriptor& f = d.fields[i];
                if ((i + s + round) % 4 == 0) continue;  // leave some fields empty
                if (f.kind == FieldKind::Code) {
                    const CodeListDescriptor* list = f.codelist;
                    obj->set_code(f, list && list->member_count ? list->members[(round + i) % list->member_count].value
                                                                : code_value("ZZ"));
                } else {
                    obj->text(f) = std::to_string(seed) + "." + std::to_string(round) + "." + std::to_string(i) +
                                   (i % 3 == 0 ? "\xC3\xA9" : "");
                }
            }
            obj->Additem();
        }
    }
    std::string count = ctl.SegCount();
    ctl.CloseFile();
    return count;
}

}  // namespace

TEST(Threads, ConcurrentWritersMatchSingleThreadedRuns) {
    std::string alone[kThreads], together[kThreads];
    std::string alone_count[kThreads], together_count[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        alone[t] = vireo_test::temp_path(".alone");
        vireo_test::on_new_thread([&] { alone_count[t] = write_batch(alone[t], t); });
    }
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        together[t] = vireo_test::temp_path(".together");
        threads.emplace_back([&, t] {
            start.arrive_and_wait();  // all begin writing at the same moment
            together_count[t] = write_batch(together[t], t);
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) {
        SCOPED_TRACE(t);
        std::string expected = vireo_test::read_file(alone[t]);
        EXPECT_GT(expected.size(), 50000u);
        EXPECT_TRUE(vireo_test::read_file(together[t]) == expected);
        EXPECT_EQ(together_count[t], alone_count[t]);
    }
    // Different settings per thread really gave different files.
    EXPECT_NE(vireo_test::read_file(alone[0]), vireo_test::read_file(alone[1]));
}

// A thread's writer state starts empty: NUL delimiters, a count of 0, ErrorTrap off.
TEST(Threads, NewThreadStartsAtZeroAndWritesNulDelimiters) {
    vireo_test::on_new_thread([] {
        vireo ctl;
        EXPECT_EQ(ctl.DataElementSeparator(), std::string(1, '\0'));
        EXPECT_EQ(ctl.SegCount(), "0");
        EXPECT_EQ(ctl.ErrorTrap(), 0);
        std::string path = vireo_test::temp_path();
        ctl.OpenFile(path);
        auto st = ctl.L1_ST_00_TransSetHeader();
        st->m01_TransSetIdentCode = L1_ST_01_143_3_TransSetIdentCode::val_837_HealthCareCLM_143_3;
        st->m02_TransSetControlNum = "0001";
        st->Additem();
        ctl.CloseFile();
        EXPECT_EQ(vireo_test::read_file(path), std::string("ST\0" "837\0" "0001\0", 12));
    });
}

TEST(Threads, EachThreadNumbersItsOwnFiles) {
    std::int16_t numbers[kThreads] = {};
    std::latch opened(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            vireo ctl;
            std::string path = vireo_test::temp_path();
            ctl.OpenFile(path);
            numbers[t] = writer_state().file_number;
            opened.arrive_and_wait();  // every thread holds its file open at once
            ctl.CloseFile();
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(numbers[t], 1);
}

// A control and its segment objects belong to the thread that created them,
// as objects of a single-threaded apartment do: called from another thread,
// whose writer state (delimiters, file, count) is not theirs, every property
// and method of the control and Additem fail with the wrong-thread error
// whatever ErrorTrap says, and nothing happens. (The public fields, and Clear
// which only empties them, touch nothing but the object.)
TEST(Threads, AControlAndItsObjectsBelongToTheThreadThatCreatedThem) {
    writer_state() = WriterState{};
    vireo ctl;
    ctl.DataElementSeparator("*");
    ctl.SegmentTerminator("~");
    auto st = ctl.L1_ST_00_TransSetHeader();
    st->m01_TransSetIdentCode = L1_ST_01_143_3_TransSetIdentCode::val_837_HealthCareCLM_143_3;
    st->m02_TransSetControlNum = "0001";
    const std::string path = vireo_test::temp_path();
    for (bool trapped : {false, true}) {
        SCOPED_TRACE(trapped ? "ErrorTrap true" : "ErrorTrap false");
        ctl.ErrorTrap(trapped ? -1 : 0);
        std::vector<std::string> seen;
        std::string message;
        vireo_test::on_new_thread([&] {
            const auto call = [&](const char* what, auto&& fn) {
                try {
                    fn();
                    seen.push_back(std::string(what) + ": no error");
                } catch (const VbError& e) {
                    seen.push_back(std::string(what) + ": " + std::to_string(e.number()));
                    message = e.what();
                }
            };
            call("OpenFile", [&] { ctl.OpenFile(path); });
            call("DataElementSeparator", [&] { ctl.DataElementSeparator("|"); });
            call("SegCount", [&] { ctl.SegCount(); });
            call("L1_ST_00_TransSetHeader", [&] { ctl.L1_ST_00_TransSetHeader(); });
            call("Additem", [&] { st->Additem(); });
        });
        EXPECT_EQ(seen, (std::vector<std::string>{"OpenFile: -2147417842", "DataElementSeparator: -2147417842",
                                                  "SegCount: -2147417842", "L1_ST_00_TransSetHeader: -2147417842",
                                                  "Additem: -2147417842"}));
        EXPECT_EQ(message,
                  "The application called an interface that was marshalled for a different thread: "
                  "L1_ST_00.Additem was called on a thread that did not create it; a control and its segment "
                  "objects belong to the thread that created them, whose writer state they use");
    }
    // Nothing happened; on its own thread the control works as before.
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ctl.DataElementSeparator(), "*");
    EXPECT_EQ(st->m02_TransSetControlNum, "0001");
    EXPECT_EQ(ctl.SegCount(), "0");
    ctl.OpenFile(path);
    st->Additem();
    ctl.CloseFile();
    EXPECT_EQ(vireo_test::read_file(path), "ST*837*0001~");
}

// A control whose thread has ended belongs to no other thread, not even one
// that took over the ended thread's memory; it may still be destroyed anywhere.
TEST(Threads, AControlOutlivingItsThreadStillRefusesOthers) {
    std::unique_ptr<vireo> orphan;
    vireo_test::on_new_thread([&] { orphan = std::make_unique<vireo>(); });
    for (int round = 0; round < 4; ++round) {
        int number = 0;
        vireo_test::on_new_thread([&] {
            vireo own;  // this thread's writer state exists too
            number = vireo_test::attempt([&] { orphan->L1_ST_00_TransSetHeader()->Additem(); }).number;
        });
        EXPECT_EQ(number, vbErrWrongThread) << round;
    }
    orphan.reset();
}
