// The emulator load matrix: for every case in the tape directory's manifest.json, makes the WAV
// image with `tonvale-cli wav`, loads it on the emulated machine and judges the load.
//
//     node run-matrix.mjs --cli PATH/tonvale-cli --tapes DIR [--work DIR] [--only TEXT] [--verbose]
//
// A case passes when a good tape loads (the motor stops, no error mark, memory holds what the
// tape says) and when a damaged one does not (for "checksum", the ROM must show its mark).
// Prints one line per case and "N passed, N failed"; exits 1 on any failure.
import {spawnSync} from "node:child_process";
import {existsSync, mkdirSync, readFileSync, writeFileSync} from "node:fs";
import {basename, join} from "node:path";
import {parseArgs} from "node:util";
import {Load, readWav} from "./harness.mjs";

// The marks that the "checksum" and "what" cases must show.
const REQUIRED_MARKS = {checksum: "C at the top right", what: "WHAT?"};

function parseOptions() {
    const {values} = parseArgs({
        options: {
            cli: {type: "string"},
            tapes: {type: "string"},
            work: {type: "string"},
            only: {type: "string"},
            verbose: {type: "boolean", default: false},
        },
    });
    if (!values.cli || !values.tapes) {
        console.error("Usage: node run-matrix.mjs --cli PATH --tapes DIR [--work DIR] " +
            "[--only TEXT] [--verbose]");
        process.exit(2);
    }
    values.work ??= join(values.tapes, "wav");
    return values;
}

// The WAV image of a tape, made once per tape and set of options.
function makeWav(options, testCase) {
    const tape = join(options.tapes, testCase.tape);
    const wav = join(options.work,
        basename(testCase.tape, ".cas") + testCase.wavOptions.join("") + ".wav");
    if (!existsSync(wav)) {
        const made = spawnSync(options.cli, ["wav", ...testCase.wavOptions, "-o", wav, tape],
            {encoding: "latin1"});
        // Exit status 1 only says that the analysis found a damaged tape file.
        if (made.error || (made.status !== 0 && made.status !== 1) || !existsSync(wav)) {
            throw new Error(`tonvale-cli wav ${testCase.tape} failed (status ${made.status}): ` +
                `${made.error ?? made.stderr.trim()}`);
        }
    }
    if (!testCase.cutWav) {
        return wav;
    }
    // A recording that stops early: the file ends before its data chunk says it does.
    const whole = readFileSync(wav);
    const cut = wav.replace(/\.wav$/, "-cut.wav");
    writeFileSync(cut, whole.subarray(0, Math.floor(whole.length * testCase.cutWav)));
    return cut;
}

function runCase(options, testCase) {
    const wavPath = makeWav(options, testCase);
    const load = new Load(testCase.machine, readWav(wavPath));
    const screenBefore = load.screenRows();
    const result = load.run(testCase);
    const marks = load.errorMarks(screenBefore);
    const differences = load.compare(testCase.memory);
    const loaded = result.finished && marks.length === 0 && differences.length === 0;

    const told = [result.reason, ...marks.map((m) => `mark: ${m}`), ...differences];
    let passed;
    switch (testCase.mustFail) {
        case undefined:
            passed = loaded;
            break;
        case "checksum":
        case "what":
            passed = !loaded && marks.includes(REQUIRED_MARKS[testCase.mustFail]);
            break;
        case "any":
            passed = !loaded;
            break;
        default:
            throw new Error(`${testCase.name}: unknown mustFail ${testCase.mustFail}`);
    }
    return {passed, told, load, emulatedSeconds: load.seconds()};
}

function main() {
    const options = parseOptions();
    mkdirSync(options.work, {recursive: true});
    const manifest = JSON.parse(readFileSync(join(options.tapes, "manifest.json"), "utf8"));
    // The emulator warns once per odd memory or port access; that is noise here.
    const warn = console.warn;
    console.warn = options.verbose ? warn : () => {};

    let passed = 0;
    let failed = 0;
    for (const testCase of manifest.cases) {
        if (options.only && !testCase.name.includes(options.only)) {
            continue;
        }
        const started = Date.now();
        let outcome;
        try {
            outcome = runCase(options, testCase);
        } catch (error) {
            outcome = {passed: false, told: [String(error.message ?? error)]};
        }
        const took = ((Date.now() - started) / 1000).toFixed(1);
        const emulated = outcome.emulatedSeconds === undefined ? ""
            : `, ${outcome.emulatedSeconds.toFixed(1)} s emulated`;
        console.log(`${outcome.passed ? "ok  " : "FAIL"} ${testCase.name} (${took} s${emulated})`);
        if (!outcome.passed || options.verbose) {
            for (const line of outcome.told) {
                console.log(`       ${line}`);
            }
            if (outcome.load) {
                for (const line of outcome.load.log) {
                    console.log(`       | ${line}`);
                }
                for (const row of outcome.load.screenRows()) {
                    if (row.trim() !== "") {
                        console.log(`       > ${row.trimEnd()}`);
                    }
                }
            }
        }
        outcome.passed ? passed++ : failed++;
    }
    console.warn = warn;
    console.log(`${passed} passed, ${failed} failed`);
    process.exit(failed === 0 && passed > 0 ? 0 : 1);
}

main();
