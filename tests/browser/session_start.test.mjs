// Session start, login and recovery in a real browser against the real server.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  SCREEN, component, useProgramServer,
} from './support.mjs';

const demo = useProgramServer();

async function login(page, user, password) {
  await component(page, 'edtLoginUser').locator('input').fill(user);
  await component(page, 'edtLoginPW').locator('input').fill(password);
  await component(page, 'btnLoginOK').click();
}

test('a console logs in as administrator and sees its three tabs', async () => {
  const page = await demo.browser.newPage();
  await page.goto(demo.server.url('?start=tessarine'));
  await component(page, 'panLogin').waitFor({ state: 'visible' });
  await login(page, 'Administrator', 'wolken482');
  for (const tab of ['Spielstand', 'Entertainment', 'Teameditor']) {
    await page.locator('.tess-tab', { hasText: tab }).first().waitFor({ state: 'visible' });
  }
  assert.equal(await page.locator('.tess-tab:visible', { hasText: 'Matchday' }).count(), 0);
  assert.equal(await page.locator('.tess-tab:visible', { hasText: 'Login' }).count(), 0);
  await page.close();
});

test('a wrong password shows "Wrong password!"', async () => {
  const page = await demo.browser.newPage();
  await page.goto(demo.server.url('?start=tessarine'));
  await component(page, 'panLogin').waitFor({ state: 'visible' });
  await login(page, 'profi', 'not-the-password');
  await page.getByText('Wrong password!').waitFor({ state: 'visible' });
  await page.close();
});

test('a display without a day plan shows the logo at 868 x 868', async () => {
  const page = await demo.browser.newPage();
  await page.setViewportSize(SCREEN);
  await page.goto(demo.server.url('?standort=Nirgendwo'));
  const logo = component(page, 'lblF1A').locator('img[alt="Logo"]');
  await logo.waitFor({ state: 'visible' });
  const box = await logo.boundingBox();
  assert.equal(Math.round(box.width), 868);
  assert.equal(Math.round(box.height), 868);
  const frame = await component(page, 'panF1').boundingBox();
  assert.equal(Math.round(frame.x), 0);
  assert.equal(Math.round(frame.y), 0);
  // The picture really loaded from the program folder.
  assert.ok(await logo.evaluate((img) => img.complete && img.naturalWidth > 0));
  await page.close();
});

test('F3 shows the engine page with its log line, F4 goes back', async () => {
  const page = await demo.browser.newPage();
  await page.goto(demo.server.url('?standort=Nirgendwo'));
  await component(page, 'lblF1A').locator('img').waitFor({ state: 'visible' });
  await page.keyboard.press('F3');
  const log = component(page, 'memoLog');
  await log.waitFor({ state: 'visible' });
  assert.match(await log.locator('textarea').inputValue(), /standort not found:Nirgendwo/);
  await page.keyboard.press('F4');
  await component(page, 'panF1').waitFor({ state: 'visible' });
  await log.waitFor({ state: 'hidden' });
  await page.close();
});

test('a display comes back by itself after the server restarts', async () => {
  const page = await demo.browser.newPage();
  await page.goto(demo.server.url('?standort=Nirgendwo'));
  await component(page, 'lblF1A').locator('img').waitFor({ state: 'visible' });
  // A marker that only this page (not a reloaded one) carries.
  await page.evaluate(() => { window.__firstPage = true; });
  await demo.server.stop();
  // The client notices on its next request: a key press is one.
  await page.keyboard.press('F3');
  await page.getByText('Connection Error').waitFor({ state: 'visible' });
  await demo.server.start();
  await page.waitForFunction(() => !window.__firstPage && window.Tess);
  await component(page, 'lblF1A').locator('img').waitFor({ state: 'visible' });
  await page.close();
});
