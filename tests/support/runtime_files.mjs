// The files of the browser runtime in the order the page loads them, as
// platform/client/scripts.txt lists them.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const CLIENT_DIR = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../platform/client');

export function runtimeScripts() {
  return fs.readFileSync(path.join(CLIENT_DIR, 'scripts.txt'), 'utf8').split(/\r?\n/)
    .map((line) => line.trim()).filter((line) => line && !line.startsWith('#'));
}
