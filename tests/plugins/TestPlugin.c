/* Test effect plug-ins for the plug-in host, written as an outside plug-in
 * would be: C, with its own declaration of the effect record. One source,
 * built once per variant (PLUG_...); without a variant it is a stereo gain:
 * out = in x gain, gain parameter 0.5, three programs, an editor.
 *
 * Every dispatcher call is logged in test_log_* so that tests can read the
 * order of the host's calls (they open the same file to reach the log). */

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct Effect Effect;
typedef intptr_t (*HostFn)(Effect*, int32_t, int32_t, intptr_t, void*, float);
typedef intptr_t (*DispatchFn)(Effect*, int32_t, int32_t, intptr_t, void*, float);
typedef void (*ProcessFn)(Effect*, float**, float**, int32_t);
typedef void (*SetParamFn)(Effect*, int32_t, float);
typedef float (*GetParamFn)(Effect*, int32_t);

struct Effect {
  int32_t magic;
  DispatchFn dispatcher;
  ProcessFn process;
  SetParamFn setParameter;
  GetParamFn getParameter;
  int32_t numPrograms, numParams, numInputs, numOutputs, flags;
  intptr_t reserved1, reserved2;
  int32_t initialDelay, realQualities, offQualities;
  float ioRatio;
  void* object;
  void* user;
  int32_t uniqueID, version;
  ProcessFn processReplacing;
  void* plugin_own[8];
};

typedef struct {
  Effect effect;
  float params[101]; /* [100]: the current program */
  short rect[4];
} Instance;

#define LOG_SIZE 512
int test_log_count = 0;
int32_t test_log_ops[LOG_SIZE];
intptr_t test_log_values[LOG_SIZE];
float test_log_opts[LOG_SIZE];
void* test_log_ptrs[LOG_SIZE];
HostFn test_host = 0;
Effect* test_last_effect = 0;
int test_instances = 0;
int test_longest_block = 0; /* the most frames one processing call was handed */

void test_reset_log(void) { test_log_count = 0; }

static const char* const ProgramNames[3] = {"Default", "Unity", "AProgramNameFarLongerThanTwentyFourBytes"};
static const float ProgramGains[3] = {0.5f, 1.0f, 0.25f};

static void copy_text(void* ptr, const char* text) {
  if (ptr) strcpy((char*)ptr, text);
}

#if defined(PLUG_BADMAGIC) || defined(PLUG_ZEROIN) || defined(PLUG_ZEROOUT) || defined(PLUG_HUGEIO) || \
    defined(PLUG_HUGEPARAMS) || defined(PLUG_NEGPROGRAMS) || defined(PLUG_NULLPROC)
/* A host refuses these records whole and never calls into them, so never
   closes them either: they live in static storage, leaving nothing behind. */
#define PLUG_REFUSED 1
#endif

static intptr_t dispatch(Effect* e, int32_t op, int32_t index, intptr_t value, void* ptr, float opt) {
  Instance* in = (Instance*)e;
  if (test_log_count < LOG_SIZE) {
    test_log_ops[test_log_count] = op;
    test_log_values[test_log_count] = value;
    test_log_opts[test_log_count] = opt;
    test_log_ptrs[test_log_count] = ptr;
    ++test_log_count;
  }
  switch (op) {
    case 1: /* close */
      --test_instances;
#ifndef PLUG_REFUSED
      free(in);
#endif
      return 0;
    case 2: /* set program */
      if (value >= 0 && value < 3) in->params[0] = ProgramGains[value];
      in->params[100] = (float)value;
      return 0;
    case 5: { /* program name */
      int p = (int)in->params[100];
      copy_text(ptr, p >= 0 && p < 3 ? ProgramNames[p] : "?");
      return 0;
    }
    case 6: copy_text(ptr, index == 0 ? "x" : "u"); return 0;
    case 7: {
      char text[64];
      snprintf(text, sizeof text, "%.3f", (double)in->params[index >= 0 && index < 100 ? index : 0]);
      copy_text(ptr, text);
      return 0;
    }
    case 8: {
      char text[64];
      if (index == 0)
        snprintf(text, sizeof text, "Gain");
      else
        snprintf(text, sizeof text, "Parameter number %d with a long name", index);
      copy_text(ptr, text);
      return 0;
    }
    case 13: /* editor rect */
      if (ptr) *(short**)ptr = in->rect;
      return 1;
    default: return 0;
  }
}

static void set_param(Effect* e, int32_t index, float value) {
  if (index >= 0 && index < 100) ((Instance*)e)->params[index] = value;
}

static float get_param(Effect* e, int32_t index) {
  return index >= 0 && index < 100 ? ((Instance*)e)->params[index] : 0.0f;
}

/* out = in x gain on every channel. */
static void gain_replacing(Effect* e, float** ins, float** outs, int32_t frames) {
  const float gain = ((Instance*)e)->params[0];
  if (frames > test_longest_block) test_longest_block = frames;
  for (int c = 0; c < e->numOutputs && c < e->numInputs; ++c)
    for (int32_t i = 0; i < frames; ++i) outs[c][i] = ins[c][i] * gain;
}

/* Mono in, stereo out: left = in, right = in x 0.25. */
__attribute__((unused)) static void mono_replacing(Effect* e, float** ins, float** outs, int32_t frames) {
  (void)e;
  for (int32_t i = 0; i < frames; ++i) {
    const float x = ins[0][i];
    outs[0][i] = x;
    outs[1][i] = x * 0.25f;
  }
}

/* Stereo in, mono out: left - right. */
__attribute__((unused)) static void downmix_replacing(Effect* e, float** ins, float** outs, int32_t frames) {
  (void)e;
  for (int32_t i = 0; i < frames; ++i) outs[0][i] = ins[0][i] - ins[1][i];
}

/* Adds in x 2 into the outputs. */
__attribute__((unused)) static void accumulate(Effect* e, float** ins, float** outs, int32_t frames) {
  (void)e;
  for (int c = 0; c < 2; ++c)
    for (int32_t i = 0; i < frames; ++i) outs[c][i] += ins[c][i] * 2.0f;
}

/* Four channels: out0 = in0 + in2, out1 = in1 + in3, the extra outputs 9. */
__attribute__((unused)) static void four_replacing(Effect* e, float** ins, float** outs, int32_t frames) {
  (void)e;
  for (int32_t i = 0; i < frames; ++i) {
    const float a = ins[0][i], b = ins[1][i], c = ins[2][i], d = ins[3][i];
    outs[0][i] = a + c;
    outs[1][i] = b + d;
    outs[2][i] = 9.0f;
    outs[3][i] = 9.0f;
  }
}

static Effect* make_effect(HostFn host) {
  test_host = host;
#ifdef PLUG_NULLREC
  return 0;
#endif
#ifdef PLUG_REFUSED
  static Instance refused;
  memset(&refused, 0, sizeof refused);
  Instance* in = &refused;
#else
  Instance* in = (Instance*)calloc(1, sizeof(Instance));
#endif
  Effect* e = &in->effect;
  e->magic = ('V' << 24) | ('s' << 16) | ('t' << 8) | 'P';
  e->dispatcher = dispatch;
  e->setParameter = set_param;
  e->getParameter = get_param;
  e->numPrograms = 3;
  e->numParams = 2;
  e->numInputs = 2;
  e->numOutputs = 2;
  e->flags = 1 | 16;
  e->processReplacing = gain_replacing;
  in->params[0] = 0.5f;
  in->params[1] = 0.25f;
  in->rect[0] = 10; /* top, left, bottom, right */
  in->rect[1] = 20;
  in->rect[2] = 130;
  in->rect[3] = 320;
#ifdef PLUG_MONO
  e->numInputs = 1;
  e->flags = 16;
  e->processReplacing = mono_replacing;
#endif
#ifdef PLUG_DOWNMIX
  e->numOutputs = 1;
  e->processReplacing = downmix_replacing;
#endif
#ifdef PLUG_ACCUM
  e->flags = 0;
  e->processReplacing = 0;
  e->process = accumulate;
#endif
#ifdef PLUG_FOUR
  e->numInputs = 4;
  e->numOutputs = 4;
  e->processReplacing = four_replacing;
#endif
#ifdef PLUG_PARAMS100
  e->numParams = 100;
  e->numPrograms = 0;
#endif
#ifdef PLUG_BADMAGIC
  e->magic = ('V' << 24) | ('s' << 16) | ('t' << 8) | 'X';
#endif
#ifdef PLUG_ZEROIN
  e->numInputs = 0;
#endif
#ifdef PLUG_ZEROOUT
  e->numOutputs = 0;
#endif
#ifdef PLUG_HUGEIO
  e->numOutputs = 1 << 20;
#endif
#ifdef PLUG_HUGEPARAMS
  e->numParams = 0x7fffffff;
#endif
#ifdef PLUG_NEGPROGRAMS
  e->numPrograms = -5;
#endif
#ifdef PLUG_NULLPROC
  e->processReplacing = 0;
#endif
  ++test_instances;
  test_last_effect = e;
  return e;
}

/* The entry point under the names a host looks for. */
#if defined(PLUG_ALTENTRY)
Effect* VSTPluginMain(HostFn host) { return make_effect(host); }
#elif defined(PLUG_NOENTRY)
Effect* plugin_entry_elsewhere(HostFn host) { return make_effect(host); }
#else
Effect* plugin_main(HostFn host) __asm__("main");
Effect* plugin_main(HostFn host) { return make_effect(host); }
#endif
