// Loads a WAV image into an emulated TRS-80 (the trs80-emulator package with its real ROMs), the
// way a person would: answer the start-up prompts, type CLOAD (or SYSTEM and the name), let the
// tape play, and look at memory and the screen once the cassette motor has stopped again.
//
// The Z80 is stepped in a loop on emulated time only, so a load runs many times faster than
// real time and ends the same way on any host.
import {readFileSync} from "node:fs";
import {
    Background, BasicLevel, CassettePlayer, CGChip, Config, Keyboard, ModelType, Phosphor,
    RamSize, ScanLines, SilentSoundPlayer, Trs80, Trs80Screen,
} from "trs80-emulator";

const SCREEN_BEGIN = 0x3C00;
const SCREEN_COLUMNS = 64;
const SCREEN_ROWS = 16;
const BASIC_START_POINTER = 0x40A4; // Level 2 keeps its program's address here
const LEVEL1_BASIC = 0x4200;

// How long a prompt or the motor's start may take, in emulated seconds, before the load counts
// as stuck.
const WAIT_SECONDS = 10;
const MOTOR_STOP_MARGIN_SECONDS = 5; // beyond the WAV's own playing time
const SETTLE_SECONDS = 0.5;          // lets the ROM finish up after the motor stops

// Steps between looks at the screen or the motor: cheap enough, and far below one keystroke.
const STEPS_PER_LOOK = 2000;

// ---------------------------------------------------------------------------------------------
// The WAV file.

// Reads a WAV file as `tonvale-cli wav` writes it: a 46-byte header, 8-bit mono PCM, the data
// chunk last. A data chunk that claims more bytes than the file holds is taken as far as it
// goes (a truncated recording).
export function readWav(path) {
    const file = readFileSync(path);
    const bits = file.length >= 46 ? file.readUInt16LE(34) : 0;
    if (file.length < 46 || file.toString("latin1", 38, 42) !== "data" ||
        file.readUInt16LE(22) !== 1 || (bits !== 8 && bits !== 16)) {
        throw new Error(`${path}: not an 8 or 16-bit mono WAV file of tonvale-cli wav`);
    }
    const size = file.readUInt32LE(42);
    const data = file.subarray(46, 46 + size);
    // Samples scaled to -1..1: unsigned 8-bit around 128, or signed 16-bit.
    const samples = Float32Array.from({length: Math.floor(data.length / (bits / 8))}, (_, i) =>
        bits === 8 ? (data[i] - 128) / 128 : data.readInt16LE(2 * i) / 32768);
    return {rate: file.readUInt32LE(24), samples, declaredSamples: size / (bits / 8)};
}

// The recorder: plays the WAV's samples, scaled to -1..1, at the
// WAV's own rate. Like a real tape it keeps its place while the motor is off.
class WavCassette extends CassettePlayer {
    constructor(wav, onMotor) {
        super();
        this.samplesPerSecond = wav.rate;
        this.samples = wav.samples;
        this.position = 0;
        this.onMotor = onMotor;
    }

    readSample() {
        // Past the end of the tape: silence.
        return this.position < this.samples.length ? this.samples[this.position++] : 0;
    }

    onMotorStart() {
        this.onMotor(true);
    }

    onMotorStop() {
        this.onMotor(false);
    }
}

// The screen lives in the emulator's memory; nothing needs drawing.
class StubScreen extends Trs80Screen {
    setConfig() {}
    writeChar() {}
}

// ---------------------------------------------------------------------------------------------
// The machines and what they ask at power-up.

function makeConfig(model, level, cgChip, ram) {
    return new Config(model, level, cgChip, ram, Phosphor.WHITE, Background.BLACK, ScanLines.OFF);
}

export const MACHINES = {
    "model1-level1": {
        config: makeConfig(ModelType.MODEL1, BasicLevel.LEVEL1, CGChip.ORIGINAL, RamSize.RAM_4_KB),
        prompts: () => [],
        // No lower case: every letter is a capital. Level 1 keeps every space typed behind the
        // line number and LIST shows one more, so a listed line is typed without that one.
        keysFor: (text) => text.toLowerCase().replace(/^( *[0-9]+) /, "$1"),
    },
    "model1-level2": {
        config: makeConfig(ModelType.MODEL1, BasicLevel.LEVEL2, CGChip.ORIGINAL, RamSize.RAM_48_KB),
        prompts: () => [["MEMORY SIZE?", "\n"]],
        // A letter without Shift is the capital, with Shift the lower-case code.
        keysFor: (text) => [...text].map((c) =>
            c === c.toUpperCase() ? c.toLowerCase() : c.toUpperCase()).join(""),
    },
    "model3": {
        config: makeConfig(ModelType.MODEL3, BasicLevel.LEVEL2, CGChip.LOWER_CASE,
            RamSize.RAM_48_KB),
        prompts: (cassette) => [["Cass?", `${cassette}\n`], ["Memory Size?", "\n"]],
        // Shift-0 (the package's "_") turns capitals only off; then Shift gives the capital.
        lowerCaseOn: "_",
        keysFor: (text) => text,
    },
};

// ---------------------------------------------------------------------------------------------
// One load.

export class Load {
    constructor(machineName, wav) {
        const machine = MACHINES[machineName];
        if (!machine) {
            throw new Error(`unknown machine ${machineName}`);
        }
        this.machine = machine;
        this.wav = wav;
        this.motorOn = false;
        this.keyboard = new Keyboard();
        this.cassette = new WavCassette(wav, (on) => {
            this.motorOn = on;
        });
        this.trs80 = new Trs80(machine.config, new StubScreen(), this.keyboard, this.cassette,
            new SilentSoundPlayer());
        this.trs80.reset();
        this.log = [];
    }

    seconds() {
        return this.trs80.tStateCount / this.trs80.clockHz;
    }

    // The screen as text, one string per row. Graphics show as '#'; the Model I's missing bit 6
    // of the character memory is put back.
    screenRows() {
        const char = (b) => (b >= 0x80 ? "#" : String.fromCharCode(b < 0x20 ? b + 0x40 : b));
        const row = (r) => Array.from({length: SCREEN_COLUMNS},
            (_, c) => char(this.trs80.readMemory(SCREEN_BEGIN + r * SCREEN_COLUMNS + c)));
        return Array.from({length: SCREEN_ROWS}, (_, r) => row(r).join(""));
    }

    screenHas(text) {
        return this.screenRows().some((row) => row.includes(text));
    }

    readWord(address) {
        return this.trs80.readMemory(address) | (this.trs80.readMemory(address + 1) << 8);
    }

    // Runs the Z80 until `done()` holds or `seconds` of emulated time have passed; says which.
    runUntil(done, seconds) {
        const limit = this.trs80.tStateCount + seconds * this.trs80.clockHz;
        while (!done()) {
            if (this.trs80.tStateCount > limit) {
                return false;
            }
            for (let i = 0; i < STEPS_PER_LOOK; i++) {
                this.trs80.step();
            }
        }
        return true;
    }

    // Types text as a person would. The package's key map holds Shift down for a capital letter,
    // but on these machines a letter without Shift is the capital (Shift gives the lower-case
    // code, which SYSTEM would not match against the tape's name), so letters go without it.
    type(text) {
        this.note(`type ${JSON.stringify(text)}`);
        this.keyboard.simulateKeyboardText(text.toLowerCase());
    }

    // Types a listing line by line, as a person at the machine would, letters in their own case
    // where the machine has lower case.
    typeListing(listing) {
        this.keyboard.simulateKeyboardText(this.machine.lowerCaseOn ?? "");
        for (const line of listing.split(/\r?\n/).filter((l) => l.trim() !== "")) {
            this.keyboard.simulateKeyboardText(this.machine.keysFor(line) + "\n");
            this.runUntil(() => this.keyboard.keyQueue.length === 0, WAIT_SECONDS);
        }
        this.runUntil(() => false, SETTLE_SECONDS);
    }

    // The BASIC program in memory: Level 2 from the address in 40A4h along the line links to the
    // end marker, Level 1 from 4200h over `lines` lines.
    programBytes(level1Lines) {
        let address = level1Lines === undefined ? this.readWord(BASIC_START_POINTER) : LEVEL1_BASIC;
        const start = address;
        if (level1Lines === undefined) {
            while (this.readWord(address) !== 0 && this.readWord(address) > address) {
                address = this.readWord(address);
            }
            address += 2;
        } else {
            for (let line = 0; line < level1Lines; line++) {
                for (address += 2; this.trs80.readMemory(address) !== 0x0D; address++) {}
                address++;
            }
        }
        const read = (_, i) => this.trs80.readMemory(start + i);
        return {start, bytes: Buffer.from(Array.from({length: address - start}, read))};
    }

    note(text) {
        this.log.push(`${this.seconds().toFixed(2)}s ${text}`);
    }

    // Runs until the text is on the screen and every key typed so far has been taken.
    expect(text, seconds) {
        const seen = this.runUntil(
            () => this.keyboard.keyQueue.length === 0 && this.screenHas(text), seconds);
        this.note(`${seen ? "saw" : "did not see"} ${JSON.stringify(text)}`);
        return seen;
    }

    // The whole dialogue up to the end of the tape. Returns what happened; memory and screen
    // stay available for the caller to judge.
    run({cassette = "", command, systemName = ""}) {
        const playSeconds = this.wav.declaredSamples / this.wav.rate;
        // The one timer of the emulator (the Model III's 1500-baud start, a second after the motor
        // starts) must run on emulated time as well.
        const realSetTimeout = globalThis.setTimeout;
        globalThis.setTimeout = (callback, milliseconds = 0, ...args) =>
            this.trs80.eventScheduler.add(undefined,
                this.trs80.tStateCount + milliseconds * this.trs80.clockHz / 1000,
                () => callback(...args));
        try {
            return this.dialogue(cassette, command, systemName, playSeconds);
        } finally {
            globalThis.setTimeout = realSetTimeout;
        }
    }

    dialogue(cassette, command, systemName, playSeconds) {
        const answers = [...this.machine.prompts(cassette), ["READY", `${command}\n`]];
        if (command === "SYSTEM") {
            answers.push(["*?", `${systemName}\n`]);
        }
        for (const [prompt, answer] of answers) {
            if (!this.expect(prompt, WAIT_SECONDS)) {
                return {finished: false, reason: `no ${JSON.stringify(prompt)} prompt`};
            }
            this.type(answer);
        }
        if (!this.runUntil(() => this.motorOn, WAIT_SECONDS)) {
            return {finished: false, reason: "the cassette motor never started"};
        }
        this.note("motor on");
        const played = () =>
            `${this.cassette.position} of ${this.wav.samples.length} samples played`;
        if (!this.runUntil(() => !this.motorOn, playSeconds + MOTOR_STOP_MARGIN_SECONDS)) {
            this.note(`motor still on, ${played()}`);
            return {finished: false, reason: "the cassette motor never stopped"};
        }
        this.note(`motor off, ${played()}`);
        this.runUntil(() => false, SETTLE_SECONDS);
        return {finished: true, reason: "the cassette motor stopped"};
    }

    // The ROMs' own marks of a bad load: Level 2 puts a "C" among the asterisks at the top right
    // for a checksum error, the Model III a "D" for a Highspeed bit of a length out of range;
    // Level 1 says WHAT?.
    errorMarks(screenBefore) {
        const topRight = this.screenRows()[0].slice(SCREEN_COLUMNS - 2);
        const marks = ["C", "D"].filter((mark) => topRight.includes(mark))
            .map((mark) => `${mark} at the top right`);
        const whats = (rows) => rows.filter((row) => row.includes("WHAT?")).length;
        return whats(this.screenRows()) > whats(screenBefore) ? [...marks, "WHAT?"] : marks;
    }

    // Compares memory with what the case says. Returns the differences, empty when all is equal.
    compare(regions) {
        return regions.flatMap(({address, bytes}) => {
            const expected = Buffer.from(bytes, "hex");
            const read = (i) => this.trs80.readMemory((address + i) & 0xFFFF);
            const wrong = [...expected.keys()].filter((i) => read(i) !== expected[i]);
            const first = wrong[0];
            return wrong.length === 0 ? [] : [`${wrong.length} of ${expected.length} bytes from ` +
                `${hex(address, 4)} differ, first at ${hex(address + first, 4)}: ` +
                `${hex(read(first), 2)} instead of ${hex(expected[first], 2)}`];
        });
    }
}

function hex(value, digits) {
    return value.toString(16).toUpperCase().padStart(digits, "0") + "h";
}
