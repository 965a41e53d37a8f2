// vornreg as whole runs on the simulated board: `vornreg save` of the whole chip (registers and
// both LUTs), and `vornreg diff` of that snapshot against the live board. Next to them the
// start-up alone (`vornreg show` of the snapshot, which reads no board).
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>

namespace {

struct Workspace {
  std::string dir;
  Workspace() {
    char pattern[] = "/tmp/vornreg-bench-XXXXXX";
    dir = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    setenv("VORN_BOARD", ("sim:" + dir + "/board.img").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
  ~Workspace() { std::system(("rm -rf " + dir).c_str()); }
};

void RunVornreg(const Workspace& w, const char* action) {
  const std::string snapshot = w.dir + "/snap.txt";
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    execl(VORNREG_BINARY, VORNREG_BINARY, action, snapshot.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
}

const Workspace& OwnBoard() {
  static const Workspace workspace;
  RunVornreg(workspace, "save");  // the snapshot the diff and show runs read
  return workspace;
}

void BM_Save(benchmark::State& state) {
  const Workspace& w = OwnBoard();
  for (auto _ : state) RunVornreg(w, "save");
}

void BM_DiffWithBoard(benchmark::State& state) {
  const Workspace& w = OwnBoard();
  for (auto _ : state) RunVornreg(w, "diff");
}

void BM_ShowNoBoard(benchmark::State& state) {
  const Workspace& w = OwnBoard();
  for (auto _ : state) RunVornreg(w, "show");
}

#define WHOLE_RUN(bm) \
  BENCHMARK(bm)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)
WHOLE_RUN(BM_Save);
WHOLE_RUN(BM_DiffWithBoard);
WHOLE_RUN(BM_ShowNoBoard);

}  // namespace
