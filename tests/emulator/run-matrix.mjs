// The emulator load matrix: for every case in cases.json, makes the tape from the programs in
// programs/ with `tonvale-cli make`, its WAV image with `tonvale-cli wav`, loads it on the
// emulated machine and judges the load.
//
//     node run-matrix.mjs --cli PATH/tonvale-cli --work DIR [--only TEXT] [--verbose]
//
// A case passes when a good tape loads (the motor stops, no error mark, memory holds what it
// should, the program runs and shows its texts) and when a damaged one does not (for
// "checksum" and "what", the ROM must show its mark). Prints one line per case and
// "N passed, N failed"; exits 1 on any failure.
import {spawnSync} from "node:child_process";
import {mkdirSync, readFileSync, renameSync, writeFileSync} from "node:fs";
import {dirname, join} from "node:path";
import {fileURLToPath} from "node:url";
import {parseArgs} from "node:util";
import {Load, readWav} from "./harness.mjs";

// The mark that each kind of failing case must show ("any": none in particular).
const REQUIRED_MARKS = {checksum: "C at the top right", what: "WHAT?", any: null};
const HERE = dirname(fileURLToPath(import.meta.url));
const PROGRAMS = join(HERE, "programs");
const RUN_SECONDS = 3; // for a program to show its texts

function parseOptions() {
    const {values} = parseArgs({
        options: {
            cli: {type: "string"},
            work: {type: "string"},
            only: {type: "string"},
            verbose: {type: "boolean", default: false},
        },
    });
    if (!values.cli || !values.work) {
        console.error("Usage: node run-matrix.mjs --cli PATH --work DIR [--only TEXT] [--verbose]");
        process.exit(2);
    }
    return values;
}

function cli(options, args) {
    const run = spawnSync(options.cli, args, {encoding: "latin1", cwd: PROGRAMS});
    // Exit status 1 only says that the analysis found a damaged tape file.
    if (run.error || (run.status !== 0 && run.status !== 1)) {
        throw new Error(`tonvale-cli ${args.join(" ")} failed (status ${run.status}): ` +
            `${run.error ?? run.stderr.trim()}`);
    }
}

// The case's tape made from its programs, a bit turned over if asked, and its WAV image.
function makeWav(options, testCase, index) {
    const tape = join(options.work, `case${index}.cas`);
    const wav = join(options.work, `case${index}.wav`);
    cli(options, ["make", ...testCase.make, "-o", tape]);
    if (testCase.convert) {
        // Laid down again at the other speed, as a user speeds up an old tape.
        const made = join(options.work, `case${index}-made.cas`);
        renameSync(tape, made);
        cli(options, ["convert", made, "-o", tape, "--format", testCase.convert]);
    }
    if (testCase.flip) {
        const image = readFileSync(tape);
        image[testCase.flip[0]] ^= 1 << testCase.flip[1];
        writeFileSync(tape, image);
    }
    cli(options, ["wav", ...(testCase.wavOptions ?? []), "-o", wav, tape]);
    if (testCase.cutWav) {
        // A recording that stops early: the file ends before its data chunk says it does.
        const whole = readFileSync(wav);
        writeFileSync(wav, whole.subarray(0, Math.floor(whole.length * testCase.cutWav)));
    }
    return wav;
}

// Checks the program that was loaded, runs it and types it in again; the differences.
function checkProgram(load, testCase) {
    const differences = [];
    const level1 = testCase.machine === "model1-level1";
    const listing = testCase.typed ? readFileSync(join(PROGRAMS, testCase.typed), "latin1") : "";
    const lines = level1 ? listing.split(/\r?\n/).filter((l) => l.trim() !== "").length
        : undefined;
    const loaded = load.programBytes(lines);
    if (testCase.run) {
        load.type(`${testCase.run}\n`);
        load.runUntil(() => false, RUN_SECONDS);
        differences.push(...(testCase.screen ?? []).filter((text) => !load.screenHas(text))
            .map((text) => `${JSON.stringify(text)} not on the screen after ${testCase.run}`));
    }
    if (testCase.typed) {
        load.type("NEW\n");
        load.runUntil(() => false, 0.5);
        load.typeListing(listing);
        const typed = load.programBytes(lines);
        if (!typed.bytes.equals(loaded.bytes)) {
            differences.push(`loaded ${loaded.bytes.toString("hex")}`,
                `typed  ${typed.bytes.toString("hex")}`);
        }
    }
    return differences;
}

function runCase(options, testCase, index) {
    const wav = makeWav(options, testCase, index);
    const load = new Load(testCase.machine, readWav(wav));
    const screenBefore = load.screenRows();
    const result = load.run(testCase);
    const marks = load.errorMarks(screenBefore);
    const differences = load.compare((testCase.memory ?? []).map(({address, file, bytes}) =>
        ({address, bytes: file ? readFileSync(join(PROGRAMS, file)).toString("hex") : bytes})));
    const loaded = () => result.finished && marks.length === 0 && differences.length === 0;
    if (loaded()) {
        differences.push(...checkProgram(load, testCase));
    }

    const told = [result.reason, ...marks.map((m) => `mark: ${m}`), ...differences];
    const mark = REQUIRED_MARKS[testCase.mustFail];
    const passed = testCase.mustFail === undefined ? loaded()
        : !loaded() && (mark === null || marks.includes(mark));
    return {passed, told, load, emulatedSeconds: load.seconds()};
}

function main() {
    const options = parseOptions();
    mkdirSync(options.work, {recursive: true});
    const manifest = JSON.parse(readFileSync(join(HERE, "cases.json"), "utf8"));
    // The emulator warns once per odd memory or port access; that is noise here.
    const warn = console.warn;
    console.warn = options.verbose ? warn : () => {};

    let passed = 0;
    let failed = 0;
    for (const [index, testCase] of manifest.cases.entries()) {
        if (options.only && !testCase.name.includes(options.only)) {
            continue;
        }
        const started = Date.now();
        let outcome;
        try {
            outcome = runCase(options, testCase, index);
        } catch (error) {
            outcome = {passed: false, told: [String(error.message ?? error)]};
        }
        const took = ((Date.now() - started) / 1000).toFixed(1);
        const emulated = outcome.emulatedSeconds === undefined ? ""
            : `, ${outcome.emulatedSeconds.toFixed(1)} s emulated`;
        console.log(`${outcome.passed ? "ok  " : "FAIL"} ${testCase.name} (${took} s${emulated})`);
        if (!outcome.passed || options.verbose) {
            const load = outcome.load;
            const screen = (load?.screenRows() ?? []).filter((row) => row.trim() !== "");
            for (const line of [...outcome.told, ...(load?.log ?? []).map((l) => `| ${l}`),
                ...screen.map((row) => `> ${row.trimEnd()}`)]) {
                console.log(`       ${line}`);
            }
        }
        outcome.passed ? passed++ : failed++;
    }
    console.warn = warn;
    console.log(`${passed} passed, ${failed} failed`);
    process.exit(failed === 0 && passed > 0 ? 0 : 1);
}

main();
