// Prints, as JSON, the properties the browser runtime draws: those its core
// draws for every control and, per class, those the class draws besides.
// The runtime's files run here as the page loads them, with a window and
// nothing else; no class needs the DOM to register.
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';
import { CLIENT_DIR, runtimeScripts } from './runtime_files.mjs';

const context = vm.createContext({});
context.window = context;
for (const file of runtimeScripts()) {
  vm.runInContext(fs.readFileSync(path.join(CLIENT_DIR, file), 'utf8'), context, { filename: file });
}
const core = context.Tess.core;
const classes = {};
for (const cls of Object.keys(core.classes).sort()) classes[cls] = [...core.classes[cls].own].sort();
process.stdout.write(JSON.stringify({ common: [...core.COMMON_PROPS].sort(), classes }) + '\n');
