// A display whose playlist cannot be read (a folder stands where the file
// should be) opens as usual: the day plan goes on with its layout and
// ticker, the server log says what it could not read, and the audience
// never sees an error box.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync, rmSync } from 'node:fs';
import path from 'node:path';
import {
  SCREEN, WAIT_MS, component, componentBox, useProgramServer,
} from './support.mjs';

const demo = useProgramServer();

test('an unreadable playlist leaves the display running without an error box', async () => {
  const playlist = path.join(demo.folder, 'Config', 'Progs', 'Demo.pyl');
  rmSync(playlist);
  mkdirSync(playlist);
  const page = await demo.browser.newPage();
  try {
    await page.setViewportSize(SCREEN);
    await page.goto(demo.server.url('?standort=Arena'));
    // The layout and the ticker come after the playlist in the day plan.
    await component(page, 'panF3').waitFor({ state: 'visible' });
    await component(page, 'urlTCK').locator('iframe').waitFor({ state: 'attached' });
    const deadline = Date.now() + WAIT_MS;
    while (!/cannot read .*Demo\.pyl/.test(demo.server.log)) {
      assert.ok(Date.now() < deadline, `the server log names the file:\n${demo.server.log}`);
      await new Promise((r) => setTimeout(r, 100));
    }
    // One more round trip, so that anything the failed step sent is applied.
    await page.evaluate(() => new Promise((r) => {
      const seq = Tess.state().seq;
      const look = () => (Tess.state().seq > seq + 1 ? r() : setTimeout(look, 50));
      look();
    }));
    assert.equal(await page.locator('.tess-box').count(), 0, 'no error box');
    assert.deepEqual(await componentBox(page, 'panF1'), [0, 0, 1280, 960]);
  } finally {
    await page.close();
  }
});
